#include "support/ProgramUnderTest.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/ProcessSpawn.h"

ProgramUnderTest::ProgramUnderTest(const std::string& binary, const std::string& folder, const std::string& name)
    : path_(folder + "/" + name) {
  if (link(binary.c_str(), path_.c_str()) == 0) {
    ok_ = true;
    return;
  }
  std::string bytes;
  ok_ = platform::ReadWholeFile(binary, &bytes) && platform::WriteFileAtomically(path_, bytes) &&
        chmod(path_.c_str(), 0755) == 0;
}

ProgramUnderTest::~ProgramUnderTest() {
  for (pid_t pid : running_) {
    kill(pid, SIGKILL);
    platform::WaitForProcess(pid, 60000);
  }
}

pid_t ProgramUnderTest::Start(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {path_};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_t pid = platform::SpawnProcess(path_, argv);
  if (pid > 0) running_.push_back(pid);
  return pid;
}

int ProgramUnderTest::WaitForEnd(pid_t pid, int timeoutMs) {
  int status = -1;
  if (!platform::WaitForProcess(pid, timeoutMs, &status)) return -1;
  running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
  return status;
}

std::string DescribeWaitStatus(int status) {
  if (status == -1) return "still running";
  if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

bool EndedCleanly(int status) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
