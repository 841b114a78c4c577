// Starting other programs: posix_spawn with an argument vector, never through
// a shell, so no path or argument is ever re-split or interpreted. The child
// inherits no descriptor beyond standard output and error (standard input is
// /dev/null), and starts with default signal dispositions and an empty mask.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

#include "platform/Mutex.h"

namespace platform {

struct SpawnOptions {
  // Start the child in a session of its own, detached from our terminal and
  // process group (a terminal's Ctrl+C then reaches only us).
  bool newSession = false;
};

// Starts `path` with `argv` (argv[0] included, as the child sees it). Returns
// the child's process id, or -1 with a reason in `error` when given (missing
// or non-executable program, no resources). Does not wait for the child.
pid_t SpawnProcess(const std::string& path, const std::vector<std::string>& argv,
                   const SpawnOptions& options = {}, std::string* error = nullptr);

// Waits at most `timeoutMs` for child `pid` to end and reaps it. Returns true
// with its wait status in `status` (when given) once it ended; false when it is
// still running after the time-out or is not our child.
bool WaitForProcess(pid_t pid, int timeoutMs, int* status = nullptr);

// Reaps children that nobody waits for, so that one ending early never lingers
// as a zombie: a background thread checks the children handed to it every
// half second. Children still running when the reaper stops are left running
// (they are re-parented when we end). Thread-safe.
class ChildReaper {
 public:
  ChildReaper() = default;
  ~ChildReaper();  // stops and joins the thread
  ChildReaper(const ChildReaper&) = delete;
  ChildReaper& operator=(const ChildReaper&) = delete;

  // Hands `pid` over to be reaped when it ends; starts the thread on first use.
  // Takes the reaper's lock; never blocks beyond it.
  void Watch(pid_t pid) EXCLUDES(mutex_);

  // Stops the thread (waits for it at most one check period). Takes the lock.
  void Stop() EXCLUDES(mutex_);

  // Number of children not yet reaped. Takes the lock.
  size_t Pending() const EXCLUDES(mutex_);

 private:
  void Run() EXCLUDES(mutex_);
  void ReapEnded() REQUIRES(mutex_);

  mutable CMutex mutex_;
  std::condition_variable wake_;
  std::vector<pid_t> pids_ GUARDED_BY(mutex_);
  bool stop_ GUARDED_BY(mutex_) = false;
  std::thread thread_ GUARDED_BY(mutex_);  // started and taken for joining under the lock
};

}  // namespace platform
