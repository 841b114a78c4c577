#include "foundation/Thread.h"

#include <chrono>

#include "foundation/Log.h"
#include "platform/Threads.h"

CThread::~CThread() { EndThread(); }

void CThread::Stop() {
  {
    CMutexLock hold(stateLock_);
    if (running_.load()) stopRequested_.store(true);
  }
  stateChanged_.notify_all();
}

bool CThread::Start(const std::string& name) {
  {
    CMutexLock hold(stateLock_);
    if (running_.load()) return false;
    JoinFinished();
  }
  if (!OnStart()) return false;
  CMutexLock hold(stateLock_);
  if (running_.load()) return false;
  if (!name.empty()) name_ = name;
  ended_.store(false);
  stopRequested_.store(false);
  running_.store(true);
  try {
    thread_ = std::thread(&CThread::Body, this);
  } catch (const std::exception&) {
    stopRequested_.store(true);
    running_.store(false);
    ended_.store(true);
    return false;
  }
  return true;
}

void CThread::SetName(const std::string& name) {
  CMutexLock hold(stateLock_);
  name_ = name;
  if (running_.load() && threadId_.load() != 0) platform::SetThreadName(threadId_.load(), name_);
}

std::string CThread::GetName() const {
  CMutexLock hold(stateLock_);
  return name_;
}

bool CThread::IsStopRequested(void* thread) {
  return thread == nullptr || static_cast<CThread*>(thread)->IsStopRequested();
}

bool CThread::Wait(int seconds) {
  std::string name;
  {
    CMutexLock hold(stateLock_);
    if (!running_.load()) {
      JoinFinished();
      return true;
    }
    if (stateChanged_.wait_for(hold.ForWait(), std::chrono::seconds(seconds < 0 ? 0 : seconds),
                               [this] { return ended_.load(); })) {
      JoinFinished();
      return true;
    }
    name = name_;
  }
  GATE_LOG_DEFAULT("%s : FALSE\n", name.c_str());
  return false;
}

bool CThread::SleepUntilStop(int seconds) {
  if (seconds <= 0) return true;
  CMutexLock hold(stateLock_);
  return !stateChanged_.wait_for(hold.ForWait(), std::chrono::seconds(seconds),
                                 [this] { return stopRequested_.load(); });
}

void CThread::EndThread() {
  CThread::Stop();
  if (CThread::Wait(2)) return;
  GATE_LOG(1, "ERROR - Thread '%s' did not end within 2 seconds; waiting for it.\r\n", GetName().c_str());
  CMutexLock hold(stateLock_);
  stateChanged_.wait(hold.ForWait(), [this] { return ended_.load(); });
  JoinFinished();
}

void CThread::JoinFinished() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void CThread::Body() {
  uint32_t id = platform::CurrentThreadId();
  threadId_.store(id);
  std::string name = GetName();
  if (!name.empty()) platform::SetThreadName(id, name);
  RunSteps();
  {
    CMutexLock hold(stateLock_);
    running_.store(false);  // the "handle" goes before ended is set
    ended_.store(true);
  }
  stateChanged_.notify_all();
}

void CThread::RunSteps() {
  // Exceptions never leave the thread: one that escapes a step ends the loop.
  try {
    if (!OnInitInstance()) {
      OnFailed();
    } else if (stopRequested_.load()) {
      OnStopped();
    } else {
      for (;;) {
        if (!DoJob()) {
          OnFailed();
          break;
        }
        if (stopRequested_.load()) {
          OnStopped();
          break;
        }
      }
    }
  } catch (...) {
    GATE_LOG(1, "ERROR - Exception raised in thread '%s'.\r\n", GetName().c_str());
  }
  try {
    OnExitInstance();
  } catch (...) {
    GATE_LOG(1, "ERROR - Exception raised in thread '%s'.\r\n", GetName().c_str());
  }
}
