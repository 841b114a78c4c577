#include "platform/Threads.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "platform/AtomicFile.h"

namespace platform {
namespace {

constexpr size_t kKernelNameLength = 15;

std::string CommPath(uint32_t threadId) {
  return "/proc/self/task/" + std::to_string(threadId) + "/comm";
}

// The first bytes of `name` that fit the kernel's limit.
std::string KernelName(const std::string& name) { return name.substr(0, kKernelNameLength); }

}  // namespace

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

bool SetThreadName(uint32_t threadId, const std::string& name) {
  std::string shortName = KernelName(name);
  if (threadId == CurrentThreadId()) return pthread_setname_np(pthread_self(), shortName.c_str()) == 0;
  int fd = open(CommPath(threadId).c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, shortName.data(), shortName.size());
  close(fd);
  return ok;
}

std::string GetThreadName(uint32_t threadId) {
  std::string name;
  if (!ReadWholeFile(CommPath(threadId), &name)) return std::string();
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

int ProcessorCount() {
  unsigned count = std::thread::hardware_concurrency();
  return count == 0 ? 1 : static_cast<int>(count);
}

}  // namespace platform
