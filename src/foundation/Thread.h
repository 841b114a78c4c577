// CThread: the base of the system's long-lived threads. A subclass overrides
// the steps; the thread runs OnInitInstance, then DoJob again and again until
// it fails or a stop is requested (OnFailed or OnStopped), then OnExitInstance.
//
// A subclass whose steps use its own members must end the thread in its own
// destructor (EndThread) before those members go: the base destructor runs
// after the subclass is gone. The base destructor never returns while the
// thread runs.
#pragma once

#include <stdint.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "foundation/Lock.h"

class CThread {
 public:
  CThread() = default;
  // Requests a stop and waits until the thread has ended (2 s, then without limit).
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  // Requests a stop when a thread runs; does not wait. Overrides also wake the
  // thread from its blocking calls and call this.
  virtual void Stop();
  // Waits up to `seconds` for the thread to end. True when it ended or never
  // ran; false on time-out (logs "<name> : FALSE"); the thread is not killed.
  virtual bool Wait(int seconds);

  // Starts the thread: false when one runs already, OnStart refuses or the
  // thread cannot be created. A non-empty name names the thread.
  bool Start(const std::string& name = std::string());
  // Stores the name and gives it to the running thread (no log line).
  void SetName(const std::string& name);
  std::string GetName() const;
  uint32_t GetThreadId() const { return threadId_.load(); }

  // True once a stop was requested (or no thread runs).
  bool IsStopRequested() const { return stopRequested_.load(); }
  // The abort check of stream reads: `thread` is a CThread*.
  static bool IsStopRequested(void* thread);
  // True while a thread runs (from Start until its last step has finished).
  bool IsRunning() const { return running_.load(); }

 protected:
  // For use inside the steps: sleeps up to `seconds`; false as soon as a stop
  // is requested, true after the full time (at once for 0 or fewer).
  bool SleepUntilStop(int seconds);
  // Requests a stop and waits until the thread has ended: 2 s, then, logging
  // the overrun, without limit. For subclass destructors.
  void EndThread();

  // Steps; the defaults do nothing and return true.
  virtual bool OnStart() { return true; }         // on the caller's thread, before the thread exists
  virtual bool OnInitInstance() { return true; }  // first step on the new thread; false: failed
  virtual bool DoJob() { return true; }           // one unit of work; false: failed
  virtual void OnExitInstance() {}                // last step, always
  virtual void OnStopped() {}                     // the loop ended on a stop request
  virtual void OnFailed() {}                      // OnInitInstance or DoJob returned false

 private:
  void Body();
  void RunSteps();
  // Joins the finished std::thread object, if any.
  void JoinFinished() REQUIRES(stateLock_);

  mutable CMutex stateLock_;  // also orders the waits on ended_ and stopRequested_
  std::condition_variable stateChanged_;
  std::string name_ GUARDED_BY(stateLock_);
  std::thread thread_ GUARDED_BY(stateLock_);
  std::atomic<uint32_t> threadId_{0};
  std::atomic<bool> running_{false};       // the "handle": set from Start to the end of the body
  std::atomic<bool> ended_{true};
  std::atomic<bool> stopRequested_{true};
};
