#include "platform/ProcessSpawn.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace platform {

pid_t SpawnProcess(const std::string& path, const std::vector<std::string>& argv, const SpawnOptions& options,
                   std::string* error) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  sigset_t empty, all;
  sigemptyset(&empty);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &empty);
  posix_spawnattr_setsigdefault(&attributes, &all);  // an ignored SIGPIPE must not be inherited
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (options.newSession) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attributes, flags);

  pid_t pid = -1;
  int rc = posix_spawn(&pid, path.c_str(), &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    if (error) *error = "cannot start " + path + ": " + strerror(rc);
    return -1;
  }
  return pid;
}

bool WaitForProcess(pid_t pid, int timeoutMs, int* status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  long pauseNs = 1000 * 1000;  // 1 ms, doubling up to 50 ms
  for (;;) {
    int st = 0;
    pid_t rc = waitpid(pid, &st, WNOHANG);
    if (rc == pid) {
      if (status) *status = st;
      return true;
    }
    if (rc < 0 && errno != EINTR) return false;  // not our child
    if (std::chrono::steady_clock::now() >= deadline) return false;
    struct timespec pause = {0, pauseNs};
    nanosleep(&pause, nullptr);
    pauseNs = std::min(pauseNs * 2, 50L * 1000 * 1000);
  }
}

ChildReaper::~ChildReaper() { Stop(); }

void ChildReaper::Watch(pid_t pid) {
  CMutexLock lock(mutex_);
  pids_.push_back(pid);
  if (!thread_.joinable() && !stop_) thread_ = std::thread(&ChildReaper::Run, this);
}

void ChildReaper::Stop() {
  std::thread thread;
  {
    CMutexLock lock(mutex_);
    stop_ = true;
    thread.swap(thread_);
  }
  wake_.notify_all();
  if (thread.joinable()) thread.join();
}

size_t ChildReaper::Pending() const {
  CMutexLock lock(mutex_);
  return pids_.size();
}

void ChildReaper::ReapEnded() {
  pids_.erase(std::remove_if(pids_.begin(), pids_.end(),
                             [](pid_t pid) {
                               int status;
                               pid_t rc = waitpid(pid, &status, WNOHANG);
                               return rc == pid || (rc < 0 && errno == ECHILD);
                             }),
              pids_.end());
}

void ChildReaper::Run() {
  CMutexLock lock(mutex_);
  while (!stop_) {
    ReapEnded();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!stop_ && wake_.wait_until(lock.ForWait(), deadline) != std::cv_status::timeout) {
    }
  }
  ReapEnded();
}

}  // namespace platform
