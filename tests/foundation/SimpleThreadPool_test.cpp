#include "foundation/SimpleThreadPool.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/Log.h"
#include "platform/Folders.h"
#include "platform/ProgramFolder.h"
#include "platform/Threads.h"
#include "support/WaitUntil.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the jobs of a test record; guarded by its own lock.
struct Log {
  std::mutex lock;
  std::vector<std::string> events;
  std::vector<uint32_t> threads;
  std::atomic<int> count{0};
  void Add(const std::string& event) {
    std::lock_guard<std::mutex> hold(lock);
    events.push_back(event);
    threads.push_back(platform::CurrentThreadId());
    ++count;
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> hold(lock);
    return events;
  }
};

void Record(void* context, intptr_t argument) { static_cast<Log*>(context)->Add(std::to_string(argument)); }

void RecordThreadName(void* context, intptr_t) {
  char name[32] = {};
  pthread_getname_np(pthread_self(), name, sizeof(name));
  static_cast<Log*>(context)->Add(name);
}

TEST(ThreadPoolWithThreads, WorkersAreNamedForThePool) {
  CSimpleThreadPool pool;
  ASSERT_EQ(pool.Start("X", 0), 1);
  EXPECT_EQ(pool.GetWorkerCount(), 2 * platform::ProcessorCount());
  Log log;
  pool.AddJob(&RecordThreadName, &log, 0);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
  pool.Stop();

  ASSERT_EQ(pool.Start("", 1), 1);
  pool.AddJob(&RecordThreadName, &log, 0);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 2; }));
  pool.Stop();

  ASSERT_EQ(pool.Start("MAIN_NVR_DATA_SYNCHRONIZER", 1), 1);
  pool.AddJob(&RecordThreadName, &log, 0);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 3; }));
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"X", "ThreadPool", "MAIN_NVR_DATA_S"}));
}

TEST(ThreadPoolWithThreads, NamedJobIsNotQueuedTwiceWhileItWaits) {
  CSimpleThreadPool pool;
  EXPECT_EQ(pool.AddJob(&Record, nullptr, 0), 0);  // not started
  pool.Start("P", 2);
  Log log;
  EXPECT_EQ(pool.AddJob(&Record, &log, 1, 60000, "MAIN"), 1);
  EXPECT_EQ(pool.AddJob(&Record, &log, 2, 60000, "MAIN"), 0);
  EXPECT_EQ(pool.AddJob(&Record, &log, 3, 60000, "main"), 1);  // names compare exactly
  EXPECT_EQ(pool.AddJob(&Record, &log, 4, 60000), 1);
  EXPECT_EQ(pool.AddJob(&Record, &log, 5, 60000), 1);
  EXPECT_TRUE(pool.FindJob("MAIN"));
  EXPECT_FALSE(pool.FindJob("OTHER"));
  EXPECT_TRUE(pool.FindJob(""));
  pool.Stop();
  EXPECT_FALSE(pool.FindJob(""));
  EXPECT_EQ(log.count.load(), 0);
}

struct Requeue {
  CSimpleThreadPool* pool;
  std::atomic<int> passes{0};
  std::atomic<bool> foundBefore{false}, foundAfter{false}, accepted{false}, emptyFound{false}, done{false};
};

void RequeueItself(void* context, intptr_t) {
  auto* r = static_cast<Requeue*>(context);
  if (++r->passes > 1) return;
  r->emptyFound = r->pool->FindJob("");
  r->foundBefore = r->pool->FindJob("MAIN");
  r->accepted = r->pool->AddJob(&RequeueItself, r, 0, 60000, "MAIN") == 1;
  r->foundAfter = r->pool->FindJob("MAIN");
  r->done = true;  // set last: the test reads the others only after this
}

TEST(ThreadPoolWithThreads, RunningJobMayQueueItsNextPassUnderItsOwnName) {
  CSimpleThreadPool pool;
  pool.Start("P", 1);
  Requeue r;
  r.pool = &pool;
  ASSERT_EQ(pool.AddJob(&RequeueItself, &r, 0, 0, "MAIN"), 1);
  ASSERT_TRUE(WaitUntil([&] { return r.done.load(); }));
  EXPECT_TRUE(r.accepted.load());
  EXPECT_TRUE(r.emptyFound.load());  // the running job itself is in the list
  EXPECT_TRUE(r.foundBefore.load());
  EXPECT_TRUE(r.foundAfter.load());
  EXPECT_TRUE(pool.FindJob("MAIN"));  // the next pass waits
  EXPECT_EQ(pool.AddJob(&RequeueItself, &r, 0, 60000, "MAIN"), 0);
}

TEST(ThreadPoolRealTime, DelayedJobNeverStartsEarlyAndLaterDueJobsGoFirst) {
  CSimpleThreadPool pool;
  pool.Start("P", 1);
  Log log;
  auto queued = Clock::now();
  Clock::time_point started;
  struct Stamp {
    Log* log;
    Clock::time_point* at;
  } stamp{&log, &started};
  ASSERT_EQ(pool.AddJob(
                [](void* context, intptr_t) {
                  auto* s = static_cast<Stamp*>(context);
                  *s->at = Clock::now();
                  s->log->Add("delayed");
                },
                &stamp, 0, 1000),
            1);
  ASSERT_EQ(pool.AddJob(&Record, &log, 0), 1);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 2; }));
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"0", "delayed"}));
  EXPECT_GT(started - queued, std::chrono::milliseconds(1000));
  // About 100 ms late at most on an idle machine; generous here for loaded builds.
  EXPECT_LT(started - queued, std::chrono::milliseconds(6000));
}

TEST(ThreadPoolRealTime, TickCounterWrapMakesAWaitingJobDue) {
  auto clock = std::make_shared<platform::ManualClock>();
  CSimpleThreadPool pool(clock);
  pool.Start("P", 1);
  Log log;
  // The counter wraps 2 s after this, well after the job is queued even on a
  // loaded machine (a wrap before AddJob would make the job truly an hour away).
  clock->SetTickCount(0xFFFFFFFFu - 2000);
  ASSERT_EQ(pool.AddJob(&Record, &log, 7, 3600000), 1);  // one hour
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
}

void Throw(void*, intptr_t argument) {
  if (argument == 1) throw std::runtime_error("job failed");
  throw 42;
}

TEST(ThreadPoolWithThreads, ExceptionEscapingAJobLeavesTheWorkerRunning) {
  CSimpleThreadPool pool;
  pool.Start("P", 1);
  Log log;
  pool.AddJob(&Record, &log, 1);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
  pool.AddJob(&Throw, nullptr, 1);
  pool.AddJob(&Throw, nullptr, 2);
  pool.AddJob(&Record, &log, 2);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 2; }));
  EXPECT_EQ(log.threads[0], log.threads[1]);  // the same worker goes on
  ASSERT_TRUE(WaitUntil([&] { return !pool.FindJob(""); }));
}

struct Blocker {
  std::atomic<bool> inside{false};
  std::atomic<bool> release{false};
  std::atomic<bool> finished{false};
  int holdMs = -1;  // -1: until released
};

void Block(void* context, intptr_t) {
  auto* b = static_cast<Blocker*>(context);
  b->inside = true;
  auto start = Clock::now();
  while (!b->release.load() && (b->holdMs < 0 || Clock::now() - start < std::chrono::milliseconds(b->holdMs)))
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  b->finished = true;
}

TEST(ThreadPoolWithThreads, StopWaitsForTheRunningJobAndRefusesJobsAfterwards) {
  CSimpleThreadPool pool;
  pool.Start("P", 2);
  Blocker blocker;
  blocker.holdMs = 300;
  pool.AddJob(&Block, &blocker, 0);
  ASSERT_TRUE(WaitUntil([&] { return blocker.inside.load(); }));
  pool.Stop();
  EXPECT_TRUE(blocker.finished.load());
  EXPECT_EQ(pool.AddJob(&Record, nullptr, 0), 0);
  EXPECT_EQ(pool.GetWorkerCount(), 0);
  Log log;
  ASSERT_EQ(pool.Start("P", 2), 1);
  EXPECT_EQ(pool.AddJob(&Record, &log, 5), 1);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
}

TEST(ThreadPoolWithThreads, WorkerGivenUpAtStopOutlivesThePoolSafely) {
  Blocker blocker;
  auto pool = std::make_unique<CSimpleThreadPool>();
  pool->Start("P", 1);
  pool->AddJob(&Block, &blocker, 0);
  ASSERT_TRUE(WaitUntil([&] { return blocker.inside.load(); }));
  auto start = Clock::now();
  pool->Stop(false, 1);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));  // waited, did not spin for ever
  // A new start is not joined by the old worker, and the pool can go away.
  Log log;
  pool->Start("P", 1);
  pool->AddJob(&Record, &log, 1);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
  pool.reset();
  blocker.release = true;  // the late worker finishes its job and touches no freed pool
  ASSERT_TRUE(WaitUntil([&] { return blocker.finished.load(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// Voluntary context switches so far of this process's threads named `name`
// (each wake-up of a sleeping thread is one).
long VoluntarySwitchesOf(const std::string& name) {
  long total = 0;
  for (const auto& task : platform::ListFolder("/proc/self/task")) {
    std::string folder = "/proc/self/task/" + task.name;
    std::ifstream comm(folder + "/comm");
    std::string threadName;
    if (!std::getline(comm, threadName) || threadName != name) continue;
    std::ifstream status(folder + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stol(line.substr(24));
    }
  }
  return total;
}

TEST(ThreadPoolWithThreads, IdleWorkersSleepUntilAJobArrives) {
  CSimpleThreadPool pool;
  pool.Start("IDLE_POOL", 4);
  Log log;
  pool.AddJob(&Record, &log, 1);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 1; }));
  ASSERT_TRUE(WaitUntil([&] { return !pool.FindJob(""); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  long before = VoluntarySwitchesOf("IDLE_POOL");
  std::this_thread::sleep_for(std::chrono::seconds(2));
  long woken = VoluntarySwitchesOf("IDLE_POOL") - before;
  // Four workers polling every 100 ms wake about 80 times in 2 s; sleeping ones not at all.
  EXPECT_LT(woken, 8);
  pool.AddJob(&Record, &log, 2);
  ASSERT_TRUE(WaitUntil([&] { return log.count == 2; }));
  auto start = Clock::now();
  pool.Stop();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));  // sleeping workers hear the stop
}

TEST(ThreadPoolRealTime, DelayedJobRunsWhileTheWorkerThatSawItQueuedRunsALongJob) {
  Log log;
  Blocker blocker;  // outlives the pool, whose Stop waits for the long job
  CSimpleThreadPool pool;
  pool.Start("P", 2);
  ASSERT_EQ(pool.AddJob(&Record, &log, 1, 300), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a worker now waits for it
  ASSERT_EQ(pool.AddJob(&Block, &blocker, 0), 1);
  ASSERT_TRUE(WaitUntil([&] { return blocker.inside.load(); }));
  // The other worker takes the delayed job when it becomes due, not after the long job.
  EXPECT_TRUE(WaitUntil([&] { return log.count == 1; }));
  EXPECT_FALSE(blocker.finished.load());
  blocker.release = true;
}

TEST(ThreadPoolWithThreads, ManyProducersEveryJobRunsOnce) {
  CSimpleThreadPool pool;
  pool.Start("P", 4);
  std::atomic<int> runs{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < 4; ++p) {
    producers.emplace_back([&] {
      for (int i = 0; i < 250; ++i)
        ASSERT_EQ(pool.AddJob([](void* c, intptr_t) { static_cast<std::atomic<int>*>(c)->fetch_add(1); }, &runs, i), 1);
    });
  }
  for (auto& producer : producers) producer.join();
  ASSERT_TRUE(WaitUntil([&] { return runs.load() == 1000; }));
  ASSERT_TRUE(WaitUntil([&] { return !pool.FindJob(""); }));
  EXPECT_EQ(runs.load(), 1000);
}

// Runs in a child process with the process logger writing to a temporary program folder.
void RunPoolWithLogAndExit(const std::string& folder) {
  platform::SetProgramFolderOverride(folder);
  SetProcessLogLevels(1);
  {
    CSimpleThreadPool pool;
    pool.Start("LOGGED_POOL", 1);
    pool.AddJob(&Throw, nullptr, 1);
    if (!WaitUntil([&] { return !pool.FindJob(""); })) _exit(1);
  }
  DestroyProcessLogger();
  auto days = platform::ListFolder(folder + "/Log");
  if (days.size() != 1) _exit(2);
  std::string text =
      ReadTestFile(folder + "/Log/" + days[0].name + "/" + platform::GetProgramFileName() + ".log");
  const char* expected[] = {"]INFO - 'LOGGED_POOL' (", ") Thread Created.\r\n",
                            "[CSimpleThreadPool::WorkerThreadFunction][LOGGED_POOL] Worker0 started\r\n",
                            "][CSimpleThreadPool] ERROR - Exception raised in worker function\r\n",
                            "][LOGGED_POOL] Worker0 stopped\r\n"};
  size_t at = 0;
  for (const char* part : expected) {
    at = text.find(part, at);
    if (at == std::string::npos) {
      fprintf(stderr, "missing '%s' in:\n%s", part, text.c_str());
      _exit(3);
    }
  }
  _exit(0);
}

TEST(ThreadPoolWithThreads, WorkersLogTheirLifeAndEscapedExceptions) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  EXPECT_EXIT(RunPoolWithLogAndExit(dir.path()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
