// The event-service frame through a small service on it, with the AI event
// publisher's values, whose main pass is told whether the database answers
// and whose senders post the queued bodies: lifecycle, status files, the
// codes of a sender pass against the python target, the queue limit and a
// prompt Stop.
#include "services/EventServiceFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <thread>

#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlSerializer.h"
#include "ServiceFixture.h"
#include "services/AIEventPublisher.h"
#include "shell/ScopedTimeZone.h"
#include "support/WaitUntil.h"

namespace {

// 2026-12-10 01:02:03 UTC.
constexpr int64_t kRunTime = 1796864523;

class CFrameTestService : public TEventServiceFrame<CAIEventPublisherItems, CAIEventPublisherItemStatus> {
 public:
  CFrameTestService(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock)
      : TEventServiceFrame(kAIEventPublisherKind, kAIEventPublisherConfig, settings,
                           &CLocalAppSettings::Option_GetAIEventPublisherItems, std::move(clock)) {}
  ~CFrameTestService() override { Stop(); }

  std::atomic<bool> databaseUp{true};
  std::atomic<int> mainPasses{0};
  // A sender pass waits until this many bodies are queued, so they go in one pass.
  std::atomic<size_t> batch{0};

 protected:
  std::string MakeStatusFileName(const CAIEventPublisherItem& job) const override {
    return MakeUrlStatusFileName("AIEvent_%s_Status_%d.dat", job.GetTargetUrl(), job.GetID());
  }
  bool RunMainPass() override {
    ++mainPasses;
    return databaseUp.load();
  }
  int RunSenderPass(int id) override {
    if (GetQueuedBodyCount(id) < batch.load()) return 10;
    return SendQueuedBodies(id);
  }
};

class EventServiceFrameTest : public ServiceFixture {
 protected:
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(kRunTime * 1000000);
};

TEST_F(EventServiceFrameTest, StartWithoutJobsLeavesNoTraceAndRepeatedCallsDoNothing) {
  CFrameTestService service(settings_, clock_);
  service.Initialize();
  EXPECT_FALSE(service.IsConfigured());
  service.Start();
  EXPECT_FALSE(service.IsRunning());
  EXPECT_FALSE(Exists(GetDataFolderPath()));
  service.Stop();  // while stopped: nothing

  SetJobs({AIJob(3, "http://10.1.2.3/x")});
  EXPECT_TRUE(service.IsConfigured());
  service.Start();
  ASSERT_TRUE(service.IsRunning());
  EXPECT_TRUE(Exists(GetDataFolderPath()));
  ASSERT_TRUE(WaitUntil([&] { return service.mainPasses.load() == 1; }, 30));
  service.Start();  // a second Start queues no second main pass
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(service.mainPasses.load(), 1);
  service.Stop();
  EXPECT_FALSE(service.IsRunning());
  service.Stop();
  service.Start();  // and a Start after Stop runs again
  EXPECT_TRUE(WaitUntil([&] { return service.mainPasses.load() == 2; }, 30));
}

TEST_F(EventServiceFrameTest, StatusFileHoldsTheUtcRunAndStaleFilesGoOnlyWithoutTheirJob) {
  ScopedTimeZone zone("Asia/Seoul");
  StartTarget();
  target_.SetReply("ok", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  struct Case {
    std::vector<int> extraJobs;
    bool oldKept;   // AIEvent_old_Status_7.dat
    bool abcKept;   // AIEvent_x_Status_abc.dat (ID 0)
  };
  const Case cases[] = {{{}, false, false}, {{7}, true, false}, {{0}, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extraJobs.empty() ? -1 : c.extraJobs[0]);
    ASSERT_TRUE(CreateDirectoryPath(GetDataFolderPath()));
    ASSERT_TRUE(WriteTestFile(DataFile("AIEvent_old_Status_7.dat"), "x"));
    ASSERT_TRUE(WriteTestFile(DataFile("AIEvent_x_Status_abc.dat"), "x"));
    ASSERT_TRUE(WriteTestFile(DataFile("Other_1_Status_7.dat"), "x"));
    std::vector<CAIEventPublisherItem> jobs = {AIJob(3, TargetUrl("/r/ok"))};
    for (int id : c.extraJobs) jobs.push_back(AIJob(id, "http://10.1.2.3/x"));
    SetJobs(jobs);

    ProcessLogCapture log;
    CFrameTestService service(settings_, clock_);
    service.Start();
    EXPECT_EQ(Exists(DataFile("AIEvent_old_Status_7.dat")), c.oldKept);
    EXPECT_EQ(Exists(DataFile("AIEvent_x_Status_abc.dat")), c.abcKept);
    EXPECT_TRUE(Exists(DataFile("Other_1_Status_7.dat")));
    if (!c.oldKept) {
      EXPECT_NE(log.Text().find("INFO - Remove cache file (" + DataFile("AIEvent_old_Status_7.dat") + ")\r\n"),
                std::string::npos);
    }

    service.QueueBody("[]", "PublishEvent");
    ASSERT_TRUE(WaitUntil([&] { return !service.GetItemStatus(3).GetLastDateTimeExecuted().empty(); }, 30));
    service.SaveAllStatuses();
    std::string name = "AIEvent_127_0_0_1_Status_3.dat";
    EXPECT_EQ(ReadTestFile(DataFile(name)),
              "<?xml version=\"1.0\"?>\r\n<AIEventPubItemStatus>\r\n\t<ID>3</ID>\r\n"
              "\t<LastDateTimeExecuted>2026-12-10 01:02:03</LastDateTimeExecuted>\r\n"
              "\t<LastErrorCode>0</LastErrorCode>\r\n</AIEventPubItemStatus>\r\n");
    EXPECT_EQ(service.GetItemStatus(3).GetLastExecutedLocalText(), "2026-12-10 10:02:03");
    EXPECT_EQ(service.GetItemStatus(99).GetID(), 0);
    service.Stop();
    remove(DataFile(name).c_str());
  }
}

// A stale file that cannot be removed is reported as an error, never as removed.
// The file is made immutable, which stops even root; where chattr is not
// allowed the case is skipped.
TEST_F(EventServiceFrameTest, StaleFileThatStaysIsLoggedAsAnError) {
  ASSERT_TRUE(CreateDirectoryPath(GetDataFolderPath()));
  const std::string stale = DataFile("AIEvent_old_Status_8.dat");
  ASSERT_TRUE(WriteTestFile(stale, "x"));
  if (system(("chattr +i '" + stale + "' 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "chattr +i not allowed here";
  SetJobs({AIJob(3, "http://10.1.2.3/x")});
  ProcessLogCapture log;
  CFrameTestService service(settings_, clock_);
  service.Start();
  service.Stop();
  EXPECT_EQ(system(("chattr -i '" + stale + "'").c_str()), 0);
  EXPECT_TRUE(Exists(stale));
  EXPECT_EQ(log.Text().find("INFO - Remove cache file (" + stale + ")"), std::string::npos);
  EXPECT_NE(log.Text().find("ERROR - Remove cache file (" + stale + ") failed: "), std::string::npos);
  remove(stale.c_str());
}

TEST_F(EventServiceFrameTest, StatusFileNamesCarryTheTargetHostAndEndInTheJobID) {
  EXPECT_EQ(MakeUrlStatusFileName("AIEvent_%s_Status_%d.dat", "http://10.1.2.3:8080/a/b?c=1", 3),
            "AIEvent_10_1_2_3_Status_3.dat");
  EXPECT_EQ(MakeUrlStatusFileName("AIEvent_%s_Status_%d.dat", "", 4), "AIEvent__Status_4.dat");
  struct Case {
    const char* name;
    int id;
  };
  const Case cases[] = {{"AIEvent_10_1_2_3_Status_3.dat", 3}, {"AIEvent_x_Status_abc.dat", 0},
                        {"AIEvent__Status__12_.dat", 12},      {"AIEvent_x_Status_99999999999.dat", INT_MAX},
                        {"AIEvent.dat", 0},                   {"AIEvent_x_Status_7b.dat", 7}};
  for (const Case& c : cases) EXPECT_EQ(StatusFileJobID(c.name), c.id) << c.name;
}

TEST_F(EventServiceFrameTest, StatusesComeBackFromTheirFilesUnlessTheRootIsAnotherKind) {
  ASSERT_TRUE(CreateDirectoryPath(GetDataFolderPath()));
  ASSERT_TRUE(WriteTestFile(DataFile("AIEvent_10_1_2_3_Status_3.dat"),
                            "<?xml version=\"1.0\"?>\r\n<AIEventPubItemStatus><ID>3</ID><LastDateTimeExecuted>"
                            "2026-12-01 00:00:00</LastDateTimeExecuted><LastErrorCode>5</LastErrorCode>"
                            "</AIEventPubItemStatus>\r\n"));
  ASSERT_TRUE(WriteTestFile(DataFile("AIEvent_10_1_2_3_Status_4.dat"),
                            "<?xml version=\"1.0\"?>\r\n<AlarmOutputPubItemStatus><ID>4</ID><LastErrorCode>3"
                            "</LastErrorCode></AlarmOutputPubItemStatus>\r\n"));
  SetJobs({AIJob(3, "http://10.1.2.3/x"), AIJob(4, "http://10.1.2.3/x")});
  CFrameTestService service(settings_, clock_);
  service.Initialize();
  EXPECT_EQ(service.GetItemStatus(3).GetLastErrorCode(), 5);
  EXPECT_EQ(service.GetItemStatus(3).GetLastDateTimeExecuted(), "2026-12-01 00:00:00");
  CAIEventPublisherItemStatus other = service.GetItemStatus(4);
  EXPECT_EQ(other.GetID(), 4);
  EXPECT_EQ(other.GetLastDateTimeExecuted(), "");
  EXPECT_EQ(other.GetLastErrorCode(), 0);
  EXPECT_EQ(service.GetItems().size(), 2u);
  EXPECT_EQ(service.GetItem(4).GetTargetUrl(), "http://10.1.2.3/x");
}

// Savers on several threads (the status-save task, the main task's failure
// path) while the sender changes the status: the file is always one whole
// status, never two interleaved writes or a cut one.
TEST_F(EventServiceFrameTest, ConcurrentSavesLeaveTheStatusFileWhole) {
  SetJobs({AIJob(3, "http://10.1.2.3/x")});
  CFrameTestService service(settings_, clock_);
  service.Initialize();
  ASSERT_TRUE(CreateDirectoryPath(GetDataFolderPath()));
  std::atomic<bool> done{false};
  std::vector<std::thread> savers;
  for (int t = 0; t < 3; ++t) {
    savers.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        service.SetAllStatuses(t * 1000 + i);
        service.SaveAllStatuses();
      }
    });
  }
  const std::string path = DataFile("AIEvent_10_1_2_3_Status_3.dat");
  std::thread reader([&] {
    while (!done.load()) {
      std::string text = ReadTestFile(path);
      if (text.empty()) continue;
      EXPECT_EQ(text.rfind("<?xml", 0), 0u) << text;
      EXPECT_EQ(text.find("</AIEventPubItemStatus>\r\n"), text.size() - 25) << text;
    }
  });
  for (auto& saver : savers) saver.join();
  done = true;
  reader.join();
  CAIEventPublisherItemStatus read;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &read));
  EXPECT_EQ(read.GetID(), 3);
}

// One sender pass over three queued bodies, by the target's replies.
TEST_F(EventServiceFrameTest, SenderPassCodesFollowTheRepliesAndAFailedConnectionEndsThePass) {
  StartTarget();
  const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
  const std::string fail = "HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\nbad!";
  target_.SetReply("a#1", ok);
  target_.SetReply("a#2", fail);
  target_.SetReply("a#3", ok);
  struct Case {
    std::string url;
    int posts;  // requests the target saw from this case
    int code;
  };
  const Case cases[] = {
      {TargetUrl("/r/a"), 3, 5},
      {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/r/a", 0, 4},
  };
  int seen = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    SetJobs({AIJob(3, c.url)});
    ProcessLogCapture log;
    CFrameTestService service(settings_, clock_);
    service.batch = 3;
    service.Start();
    service.QueueBody("one", "PublishEvent");
    service.QueueBody("two", "PublishEvent");
    service.QueueBody("three", "PublishEvent");
    ASSERT_TRUE(WaitUntil([&] { return !service.GetItemStatus(3).GetLastDateTimeExecuted().empty(); }, 30));
    service.Stop();
    EXPECT_EQ(service.GetItemStatus(3).GetLastErrorCode(), c.code);
    EXPECT_EQ(target_.RequestCount() - seen, c.posts);
    // Without a connection the first attempt ends the pass: the rest is dropped, not posted later.
    EXPECT_EQ(service.GetPostCount(), c.code == 4 ? 1u : 3u);
    EXPECT_EQ(service.GetQueuedBodyCount(3), 0u);
    seen = target_.RequestCount();
    if (c.code == 5) {
      EXPECT_NE(log.Text().find("ERROR - Error raised when post uri (Response error return : 500 (bad!"),
                std::string::npos)
          << log.Text();
      EXPECT_EQ(BodyOf(target_.Request(1)), "one\r\n\r\n");
      EXPECT_EQ(BodyOf(target_.Request(3)), "three\r\n\r\n");
    } else {
      EXPECT_NE(log.Text().find("ERROR - Error raised when post uri (3)\r\n"), std::string::npos) << log.Text();
    }
  }
}

TEST_F(EventServiceFrameTest, DatabaseDownGivesCodeTwoOnEveryStatusAndSavesThem) {
  SetJobs({AIJob(3, "http://10.1.2.3/x"), AIJob(4, "http://10.9.9.9/y")});
  ProcessLogCapture log;
  CFrameTestService service(settings_, clock_);
  service.databaseUp = false;
  service.Start();
  ASSERT_TRUE(WaitUntil([&] { return Exists(DataFile("AIEvent_10_9_9_9_Status_4.dat")); }, 30));
  service.Stop();
  for (int id : {3, 4}) EXPECT_EQ(service.GetItemStatus(id).GetLastErrorCode(), 2);
  EXPECT_NE(ReadTestFile(DataFile("AIEvent_10_1_2_3_Status_3.dat")).find("<LastErrorCode>2</LastErrorCode>"),
            std::string::npos);
  EXPECT_NE(log.Text().find("ERROR - Error raised when connect database.\r\n"), std::string::npos);
}

TEST_F(EventServiceFrameTest, AFullQueueIsEmptiedBeforeTheNextBody) {
  SetJobs({AIJob(3, "http://10.1.2.3/x"), AIJob(4, "http://10.1.2.4/x")});
  CFrameTestService service(settings_, clock_);
  service.Initialize();
  ProcessLogCapture log;
  for (int i = 0; i < 1000; ++i) service.QueueBody("b", "PublishEvent");
  EXPECT_EQ(service.GetQueuedBodyCount(3), 1000u);
  EXPECT_EQ(log.Text().find("SendQ is full"), std::string::npos);
  service.QueueBody("last", "PublishEvent");
  EXPECT_EQ(service.GetQueuedBodyCount(3), 1u);
  EXPECT_EQ(service.GetQueuedBodyCount(4), 1u);
  EXPECT_NE(log.Text().find("INFO - SendQ is full (3)\r\n"), std::string::npos);
  EXPECT_NE(log.Text().find("INFO - SendQ is full (4)\r\n"), std::string::npos);
}

// Ten targets that hold every post for its whole reply time-out do not keep
// an eleventh job's sender from its worker: the pool has one per job.
TEST_F(EventServiceFrameTest, SlowTargetsDoNotHoldBackTheQueueOfAnotherJob) {
  StartTarget();
  target_.SetReply("hang", "<<HANG>>");
  target_.SetReply("ok", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  std::vector<CAIEventPublisherItem> jobs;
  for (int id = 1; id <= 10; ++id) jobs.push_back(AIJob(id, TargetUrl("/r/hang")));
  jobs.push_back(AIJob(11, TargetUrl("/r/ok")));
  SetJobs(jobs);
  CFrameTestService service(settings_, clock_);
  service.batch = 4;  // each slow job then holds its worker for four time-outs (20 s)
  service.Start();
  for (int i = 0; i < 4; ++i) service.QueueBody("b", "PublishEvent");
  // Well inside the slow jobs' 20 s, however loaded the machine.
  EXPECT_TRUE(WaitUntil([&] { return !service.GetItemStatus(11).GetLastDateTimeExecuted().empty(); }, 12));
  EXPECT_EQ(service.GetItemStatus(11).GetLastErrorCode(), 0);
  EXPECT_TRUE(service.GetItemStatus(1).GetLastDateTimeExecuted().empty());
}

// A target that never accepts holds a post for its whole time-out; Stop ends
// the pass after that post instead of posting the rest of the queue.
TEST_F(EventServiceFrameTest, StopIsPromptWhileTheTargetBlackHoles) {
  NeverAcceptingPeer hole;
  ASSERT_TRUE(hole.Start());
  SetJobs({AIJob(3, "http://127.0.0.1:" + std::to_string(hole.port()) + "/x")});
  CFrameTestService service(settings_, clock_);
  service.Start();
  for (int i = 0; i < 50; ++i) service.QueueBody("b", "PublishEvent");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto start = std::chrono::steady_clock::now();
  service.Stop();
  // One post's time-outs at most, far from 50 posts or the pools' 30 s.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// A target that takes the post and never answers holds it for the reply's
// time-out; Stop cancels it, so it returns at once and leaves no error code.
TEST_F(EventServiceFrameTest, StopCancelsThePostThatASilentTargetHolds) {
  StartTarget();
  target_.SetReply("silent", "<<HANG>>");
  SetJobs({AIJob(3, TargetUrl("/r/silent"))});
  CFrameTestService service(settings_, clock_);
  service.Start();
  service.QueueBody("b", "PublishEvent");
  ASSERT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 1; }, 30));  // the post is in flight
  ProcessLogCapture log;
  auto start = std::chrono::steady_clock::now();
  service.Stop();
  // The reply's time-out alone is 5 s; a cancelled post ends within milliseconds.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_EQ(log.Text().find("Error raised when post uri"), std::string::npos) << log.Text();
  EXPECT_EQ(service.GetItemStatus(3).GetLastErrorCode(), 0);

  // Started again, the service posts as before.
  target_.SetReply("silent", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  service.Start();
  service.QueueBody("c", "PublishEvent");
  EXPECT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 2; }, 30));
  EXPECT_TRUE(WaitUntil([&] { return !service.GetItemStatus(3).GetLastDateTimeExecuted().empty(); }, 30));
}

}  // namespace
