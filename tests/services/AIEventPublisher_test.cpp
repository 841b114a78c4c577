// The AI event publisher against real peers: the scratch database, the fake
// analysis server of the metadata tests streaming result parts, and the
// python target recording the posts.
#include "services/AIEventPublisher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "AIPublisherFixture.h"
#include "analysis/FakeAnalysisServer.h"
#include "shell/ScopedTimeZone.h"

namespace {

class AIEventPublisherTest : public AIPublisherFixture {
 protected:
  // An analysis server of the own kind (its row written in SQL: the row
  // class and the receiver's headers both name the server kinds).
  int AddVasRow(int vasId, const std::string& addr, int webPort) {
    Sql("INSERT INTO TBL_Vas (VasID, Name, Type, Addr, WebPort, SecureWebPort, UseSecure, User, Password) "
        "VALUES (" + std::to_string(vasId) + ", 'vas', 1, '" + addr + "', " + std::to_string(webPort) +
        ", 7443, 0, 'rowuser', 'rowpw')");
    return vasId;
  }
};

// The receiver is restarted only when a server's connection record changes.
TEST_F(AIEventPublisherTest, ReceiverRestartsOnlyWhenTheServerListChanges) {
  SetJobs({AIJob(3, "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/x")});
  CEventServiceConfig fast = kAIEventPublisherConfig;
  fast.mainDelayMs = 100;
  CAIEventPublisher publisher(settings_, platform::SystemClock(), fast);
  publisher.Start();
  auto afterTwoPasses = [&] {
    int passes = publisher.GetMainPassCount();
    EXPECT_TRUE(WaitUntil([&] { return publisher.GetMainPassCount() >= passes + 2; }, 60));
    return publisher.GetReceiverRestartCount();
  };
  EXPECT_EQ(afterTwoPasses(), 0) << "no server: never started";
  int vasId = AddVasRow(5, "127.0.0.1", 7080);
  const std::string row = " WHERE VasID = " + std::to_string(vasId);
  struct Step {
    std::string sql;
    bool restarts;
  };
  const Step steps[] = {
      {"", true},  // the row added above
      {"UPDATE TBL_Vas SET SecureWebPort = 9443" + row, false},
      {"UPDATE TBL_Vas SET Name = 'renamed', User = 'x', Password = 'y'" + row, false},
      {"UPDATE TBL_Vas SET WebPort = 7081" + row, true},
      {"UPDATE TBL_Vas SET Addr = '127.0.0.2'" + row, true},
      {"UPDATE TBL_Vas SET UseSecure = 1" + row, true},
      {"UPDATE TBL_Vas SET SecureWebPort = 9444" + row, true},
      {"DELETE FROM TBL_Vas" + row, true},
  };
  int restarts = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.sql);
    if (!step.sql.empty()) Sql(step.sql);
    if (step.restarts) ++restarts;
    EXPECT_EQ(afterTwoPasses(), restarts);
  }
  EXPECT_TRUE(publisher.GetVasList().empty());
  // The record carries the installation's account, not the row's login.
  AddVasRow(6, "127.0.0.1", 7090);
  afterTwoPasses();
  auto servers = publisher.GetVasList();
  ASSERT_EQ(servers.size(), 1u);
  EXPECT_EQ(servers.begin()->second.LoginID, settings_.GetSystemLoginID());
  EXPECT_EQ(servers.begin()->second.Port, 7090);
}

// A scripted analysis server: after the stream's 200 reply it sends part k
// once the test lets `allowed` reach k.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<std::string> parts)
      : parts_(std::move(parts)), server_([this](FakeConnection& connection, int) { Serve(connection); }) {}
  unsigned short port() const { return server_.port(); }
  void Allow(int count) { allowed_.store(count); }

 private:
  void Serve(FakeConnection& connection) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    size_t sent = 0;
    while (!connection.Stopping()) {
      while (sent < parts_.size() && static_cast<int>(sent) < allowed_.load()) {
        if (!connection.Send(FakePart(parts_[sent++]))) return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::vector<std::string> parts_;
  std::atomic<int> allowed_{0};
  FakeAnalysisServer server_;  // last: stops before the script goes
};

std::string Part(int roi) {
  return R"({"T":"a","C":1,"S":"20261209093000000","N":[{"o":1,"t":9,"e":[)" + std::to_string(roi) + "]}]}";
}

// From an analysis server's stream to the target's POST, enciphered, with
// the job's status after each reply; in two time zones.
TEST_F(AIEventPublisherTest, AStreamedRegionEventReachesTheTargetOnceAsTheExactJson) {
  for (const char* zoneName : {"UTC", "Asia/Seoul"}) {
    SCOPED_TRACE(zoneName);
    ScopedTimeZone zone(zoneName);
    ScriptedServer analysis({Part(1), Part(2), Part(1), Part(1)});
    auto target = std::make_unique<PythonHttpPeer>();
    ASSERT_TRUE(target->Start());
    target->SetReply("in#1", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    target->SetReply("in#2", "HTTP/1.1 500 Internal\r\nContent-Length: 0\r\n\r\n");

    Sql("DELETE FROM TBL_Vas");
    Sql("DELETE FROM TBL_VasDevice");
    int vasId = AddVasRow(8, "127.0.0.1", analysis.port());
    int camera = AddCamera("Gate");
    int device = AddDevice(vasId, 1, camera);
    int intrusion = AddEvent("Intrusion", 1);
    AddRegion(device, 1, intrusion, AddWednesdayTask("09:00:00", "10:00:00"));
    AddRegion(device, 2, AddEvent("Loiter", 3));
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptContents", "1");
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptKey", "Wr7Hq2xcB9sLm5Dv");
    SetJobs({AIJob(3, "http://127.0.0.1:" + std::to_string(target->port()) + "/r/in")});

    CAIEventPublisher publisher(settings_);
    publisher.Start();
    auto status = [&] { return publisher.GetItemStatus(3); };
    const std::string json = "[{\"DEV_ID\":\"" + std::to_string(camera) + "\", \"EVT_ID\":\"" +
                             std::to_string(intrusion) +
                             "\", \"EVT_NM\":\"Intrusion\", \"EVT_TM\":\"2026-12-09 09:30:00\", \"ALARM\":\"1\", "
                             "\"EVT_KIND\":\"0\", \"EVT_VALUE1\":\"\", \"EVT_VALUE2\":\"\"}]";

    analysis.Allow(1);
    ASSERT_TRUE(WaitUntil([&] { return !status().GetLastDateTimeExecuted().empty(); }, 60));
    EXPECT_EQ(status().GetLastErrorCode(), 0);
    ASSERT_EQ(target->RequestCount(), 1);
    std::string body = BodyOf(target->Request(1));
    ASSERT_GE(body.size(), 4u);
    CServiceSettings encoding;
    encoding.encryptKey = "Wr7Hq2xcB9sLm5Dv";
    EXPECT_EQ(body, EncodeEventBody(json, encoding) + "\r\n\r\n");

    // An event type 3 on a region sends nothing: the next post is the next region-1 event.
    analysis.Allow(3);
    ASSERT_TRUE(WaitUntil([&] { return status().GetLastErrorCode() == 5; }, 60));
    EXPECT_EQ(target->RequestCount(), 2);

    target.reset();  // the target's port closes
    analysis.Allow(4);
    EXPECT_TRUE(WaitUntil([&] { return status().GetLastErrorCode() == 4; }, 60));
    publisher.Stop();
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptContents", "0");
  }
}

// Without a database every job reads code 2, saved to its file, and the
// main window's row shows the job's target, its last run and the code.
class AIEventPublisherNoDatabaseTest : public ServiceFixture {};

TEST_F(AIEventPublisherNoDatabaseTest, AnUnreachableDatabaseGivesCodeTwoInEveryRow) {
  settings_.SetDatabaseAddress("127.0.0.1");
  settings_.SetDatabasePort(ClosedLoopbackPort());
  SetJobs({AIJob(3, "http://10.1.2.3/a"), AIJob(4, "http://10.1.2.4/b")});
  ProcessLogCapture log;
  CAIEventPublisher publisher(settings_);
  publisher.Initialize();
  CJobRow row;
  EXPECT_FALSE(publisher.GetJobRow(9, nullptr, &row));
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return Exists(DataFile("AIEvent_10_1_2_4_Status_4.dat")); }, 60));
  publisher.Stop();
  for (int id : {3, 4}) {
    ASSERT_TRUE(publisher.GetJobRow(id, nullptr, &row));
    EXPECT_EQ(row.lastErrorCode, 2);
    EXPECT_EQ(row.target, id == 3 ? "http://10.1.2.3/a" : "http://10.1.2.4/b");
  }
  EXPECT_NE(ReadTestFile(DataFile("AIEvent_10_1_2_3_Status_3.dat")).find("<LastErrorCode>2</LastErrorCode>"),
            std::string::npos);
  EXPECT_NE(log.Text().find("ERROR - Error raised when connect database.\r\n"), std::string::npos);
}

}  // namespace
