#include "foundation/Thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Threads.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records the steps in order; DoJob fails after `jobs` passes (0: never).
class StepRecorder : public CThread {
 public:
  explicit StepRecorder(int failAfter = 0, bool refuseStart = false, bool failInit = false)
      : failAfter_(failAfter), refuseStart_(refuseStart), failInit_(failInit) {}
  ~StepRecorder() override { EndThread(); }

  std::vector<std::string> Steps() {
    std::lock_guard<std::mutex> hold(lock_);
    return steps_;
  }
  std::atomic<int> passes{0};
  std::atomic<bool> insideJob{false};
  std::atomic<bool> releaseJob{true};

 protected:
  bool OnStart() override {
    Add("OnStart");
    return !refuseStart_;
  }
  bool OnInitInstance() override {
    Add("OnInitInstance");
    return !failInit_;
  }
  bool DoJob() override {
    insideJob = true;
    while (!releaseJob.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int pass = ++passes;
    insideJob = false;
    if (failAfter_ && pass >= failAfter_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
  }
  void OnExitInstance() override { Add("OnExitInstance"); }
  void OnStopped() override { Add("OnStopped"); }
  void OnFailed() override { Add("OnFailed"); }

 private:
  void Add(const std::string& step) {
    std::lock_guard<std::mutex> hold(lock_);
    steps_.push_back(step);
  }
  std::mutex lock_;
  std::vector<std::string> steps_;
  const int failAfter_;
  const bool refuseStart_;
  const bool failInit_;
};

TEST(ThreadObject, WaitOnANeverStartedThreadReturnsAtOnce) {
  StepRecorder thread;
  EXPECT_TRUE(thread.Wait(0));
  EXPECT_TRUE(thread.IsStopRequested());
  EXPECT_FALSE(thread.IsRunning());
}

TEST(ThreadObjectWithThreads, FailingJobRunsOnFailedThenOnExitInstance) {
  StepRecorder thread(3);
  ASSERT_TRUE(thread.Start("Recorder"));
  ASSERT_TRUE(thread.Wait(30));
  EXPECT_EQ(thread.passes.load(), 3);
  EXPECT_EQ(thread.Steps(),
            (std::vector<std::string>{"OnStart", "OnInitInstance", "OnFailed", "OnExitInstance"}));
}

TEST(ThreadObjectWithThreads, RefusedStartOrFailedInitialisation) {
  StepRecorder refusing(0, true);
  EXPECT_FALSE(refusing.Start("R"));
  EXPECT_FALSE(refusing.IsRunning());
  StepRecorder failing(0, false, true);
  ASSERT_TRUE(failing.Start("F"));
  ASSERT_TRUE(failing.Wait(30));
  EXPECT_EQ(failing.passes.load(), 0);
  EXPECT_EQ(failing.Steps(),
            (std::vector<std::string>{"OnStart", "OnInitInstance", "OnFailed", "OnExitInstance"}));
}

TEST(ThreadObjectWithThreads, StopDuringAJobTakesEffectAfterIt) {
  StepRecorder thread;
  thread.releaseJob = false;
  ASSERT_TRUE(thread.Start("Recorder"));
  ASSERT_TRUE(WaitUntil([&] { return thread.insideJob.load(); }));
  EXPECT_FALSE(thread.Start("Again"));  // a running thread is left alone
  thread.Stop();
  EXPECT_TRUE(thread.IsStopRequested());
  EXPECT_TRUE(thread.IsRunning());
  thread.releaseJob = true;
  ASSERT_TRUE(thread.Wait(30));
  EXPECT_EQ(thread.passes.load(), 1);
  EXPECT_EQ(thread.Steps(),
            (std::vector<std::string>{"OnStart", "OnInitInstance", "OnStopped", "OnExitInstance"}));
  // An ended thread object starts again.
  ASSERT_TRUE(thread.Start("Recorder"));
  thread.Stop();
  ASSERT_TRUE(thread.Wait(30));
  EXPECT_EQ(thread.Steps().size(), 8u);
}

TEST(ThreadObjectWithThreads, WaitTimesOutOnAThreadThatDoesNotEnd) {
  StepRecorder thread;
  thread.releaseJob = false;
  ASSERT_TRUE(thread.Start("Stuck"));
  auto start = Clock::now();
  EXPECT_FALSE(thread.Wait(1));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));
  thread.releaseJob = true;
}

// Sleeps in its job until a stop, reporting what SleepUntilStop answered.
class Sleeper : public CThread {
 public:
  explicit Sleeper(int seconds) : seconds_(seconds) {}
  ~Sleeper() override { EndThread(); }
  std::atomic<int> result{-1};
  std::atomic<bool> sleeping{false};

 protected:
  bool DoJob() override {
    sleeping = true;
    result = SleepUntilStop(seconds_) ? 1 : 0;
    return false;
  }

 private:
  const int seconds_;
};

TEST(ThreadObjectWithThreads, SleepUntilStopEndsEarlyOnAStopRequest) {
  Sleeper longSleep(300);
  ASSERT_TRUE(longSleep.Start("Sleeper"));
  ASSERT_TRUE(WaitUntil([&] { return longSleep.sleeping.load(); }));
  auto start = Clock::now();
  longSleep.Stop();
  ASSERT_TRUE(longSleep.Wait(30));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(longSleep.result.load(), 0);

  Sleeper shortSleep(1);
  start = Clock::now();
  ASSERT_TRUE(shortSleep.Start());
  ASSERT_TRUE(shortSleep.Wait(30));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(shortSleep.result.load(), 1);
}

// Ignores stop requests until released: the destructor must wait past 2 s.
class Overrunner : public CThread {
 public:
  std::atomic<bool>* finished;
  std::atomic<bool> release{false};
  std::atomic<bool> inside{false};
  ~Overrunner() override { EndThread(); }

 protected:
  bool DoJob() override {
    inside = true;
    while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    *finished = true;
    return false;
  }
};

TEST(ThreadObjectWithThreads, DestructorNeverReturnsWhileTheThreadRuns) {
  std::atomic<bool> finished{false};
  auto thread = std::make_unique<Overrunner>();
  thread->finished = &finished;
  ASSERT_TRUE(thread->Start("Overrunner"));
  ASSERT_TRUE(WaitUntil([&] { return thread->inside.load(); }));
  Overrunner* raw = thread.get();
  std::thread releaser([raw] {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    raw->release = true;
  });
  thread.reset();
  EXPECT_TRUE(finished.load());
  releaser.join();
}

class NameReader : public CThread {
 public:
  ~NameReader() override { EndThread(); }
  std::string kernelName;

 protected:
  bool DoJob() override {
    char name[32] = {};
    pthread_getname_np(pthread_self(), name, sizeof(name));
    kernelName = name;
    return false;
  }
};

TEST(ThreadObjectWithThreads, LongNamesAreCutOnlyForTheKernel) {
  NameReader thread;
  ASSERT_TRUE(thread.Start("CVasMetaClientBase-12"));
  ASSERT_TRUE(thread.Wait(30));
  EXPECT_EQ(thread.kernelName, "CVasMetaClientB");
  EXPECT_EQ(thread.GetName(), "CVasMetaClientBase-12");
  EXPECT_TRUE(CThread::IsStopRequested(nullptr));
}

}  // namespace
