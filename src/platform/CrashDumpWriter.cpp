#include "platform/CrashDumpWriter.h"

#include <errno.h>
#include <execinfo.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace platform {
namespace {

// Everything the handler touches is set up before it is installed and
// lives in fixed buffers: the handler may not allocate.
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS};
constexpr size_t kFolderMax = 4096;
constexpr size_t kProgramMax = 256;
constexpr size_t kAltStackSize = 256 * 1024;

char g_folder[kFolderMax];
char g_program[kProgramMax];
UtcOffsetTable g_offsets;
std::atomic<bool> g_installed{false};
std::atomic<pid_t> g_owner{0};  // thread writing the dump; 0 while none

void CopyText(char* out, size_t capacity, const std::string& text) {
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  for (size_t i = 0; i < n; ++i) out[i] = text[i];
  out[n] = '\0';
}

// Text built in a fixed buffer, cut at its capacity. Async-signal-safe.
class FixedText {
 public:
  FixedText(char* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) { buffer_[0] = '\0'; }

  FixedText& Add(const char* text) {
    while (*text) AddChar(*text++);
    return *this;
  }
  FixedText& AddChar(char c) {
    if (length_ + 1 < capacity_) {
      buffer_[length_++] = c;
      buffer_[length_] = '\0';
    }
    return *this;
  }
  // `value` in decimal, zero-padded to at least `digits` digits.
  FixedText& AddDecimal(int64_t value, int digits = 1) {
    char reversed[24];
    int n = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
      reversed[n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    while (n < digits && n < 20) reversed[n++] = '0';
    if (value < 0) AddChar('-');
    while (n > 0) AddChar(reversed[--n]);
    return *this;
  }
  FixedText& AddHex(uint64_t value) {
    Add("0x");
    for (int shift = 60; shift >= 0; shift -= 4) AddChar("0123456789abcdef"[(value >> shift) & 0xF]);
    return *this;
  }

  void Clear() {
    length_ = 0;
    buffer_[0] = '\0';
  }

  const char* c_str() const { return buffer_; }
  size_t length() const { return length_; }

 private:
  char* buffer_;
  size_t capacity_;
  size_t length_ = 0;
};

void FormatDumpName(FixedText* out, const char* folder, const char* program, const struct tm& local) {
  out->Add(folder).AddChar('/').Add(program).AddChar('-');
  out->AddDecimal(local.tm_year + 1900, 4).AddDecimal(local.tm_mon + 1, 2).AddDecimal(local.tm_mday, 2);
  out->AddChar('-');
  out->AddDecimal(local.tm_hour, 2).AddDecimal(local.tm_min, 2).AddDecimal(local.tm_sec, 2);
  out->Add(".dmp");
}

void WriteLine(int fd, const FixedText& text) {
  WriteAll(fd, text.c_str(), text.length());
  WriteAll(fd, "\n", 1);
}

const char* SignalName(int sig) {
  switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    case SIGSYS: return "SIGSYS";
    default: return "signal";
  }
}

// Appends the contents of a small file (a /proc entry) to `fd`.
void CopyFile(const char* path, int fd) {
  int in = open(path, O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    WriteAll(fd, buffer, static_cast<size_t>(n));
  }
  close(in);
}

void WriteDump(int sig, const siginfo_t* info) {
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local = {};
  g_offsets.ToLocal(now.tv_sec, &local);
  char pathBuffer[kFolderMax + kProgramMax + 32];
  FixedText path(pathBuffer, sizeof(pathBuffer));
  FormatDumpName(&path, g_folder, g_program, local);

  char lineBuffer[512];
  FixedText line(lineBuffer, sizeof(lineBuffer));
  mkdir(g_folder, 0755);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    line.Add("Fatal ").Add(SignalName(sig)).Add(": the crash dump could not be written to ").Add(path.c_str());
    WriteLine(STDERR_FILENO, line);
    return;
  }
  pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  line.Add("Crash dump of ").Add(g_program).Add(", process ").AddDecimal(getpid());
  WriteLine(fd, line);
  line.Clear();
  line.Add("Time: ").AddDecimal(local.tm_year + 1900, 4).AddChar('-').AddDecimal(local.tm_mon + 1, 2);
  line.AddChar('-').AddDecimal(local.tm_mday, 2).AddChar(' ').AddDecimal(local.tm_hour, 2).AddChar(':');
  line.AddDecimal(local.tm_min, 2).AddChar(':').AddDecimal(local.tm_sec, 2);
  WriteLine(fd, line);
  line.Clear();
  line.Add("Signal: ").AddDecimal(sig).Add(" (").Add(SignalName(sig)).Add("), code ").AddDecimal(info->si_code);
  WriteLine(fd, line);
  line.Clear();
  if (info->si_code > 0) {  // raised by the processor: the address that failed
    line.Add("Fault address: ").AddHex(reinterpret_cast<uintptr_t>(info->si_addr));
  } else {
    line.Add("Sent by process: ").AddDecimal(info->si_pid);
  }
  WriteLine(fd, line);
  line.Clear();
  line.Add("Thread: ").AddDecimal(tid).Add(" ");
  WriteAll(fd, line.c_str(), line.length());
  CopyFile("/proc/thread-self/comm", fd);  // the name, with its line end

  WriteAll(fd, "Backtrace:\n", 11);
  void* frames[128];
  int count = backtrace(frames, 128);
  backtrace_symbols_fd(frames, count, fd);
  WriteAll(fd, "Memory map:\n", 12);
  CopyFile("/proc/self/maps", fd);
  fsync(fd);
  close(fd);

  line.Clear();
  line.Add("Fatal ").Add(SignalName(sig)).Add(": crash dump written to ").Add(path.c_str());
  WriteLine(STDERR_FILENO, line);
}

// Restores the default action and raises the signal again. The handler blocks
// it, so it stays pending until the handler returns, then ends the process.
void EndBySignal(int sig) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
  raise(sig);
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
  int savedErrno = errno;
  pid_t me = static_cast<pid_t>(syscall(SYS_gettid));
  pid_t owner = 0;
  if (g_owner.compare_exchange_strong(owner, me)) {
    WriteDump(sig, info);
  } else if (owner != me) {
    // Another thread is writing the dump and will end the process; should it
    // hang, this thread ends the process itself after half a minute.
    for (int i = 0; i < 600; ++i) {
      struct timespec pause = {0, 50 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
  }
  // A fault inside the handler itself (owner == me) ends the process at once.
  EndBySignal(sig);
  errno = savedErrno;
}

struct ThreadCrashStack {
  void* base = nullptr;
  ~ThreadCrashStack() {
    if (base == nullptr) return;
    stack_t none = {};
    none.ss_flags = SS_DISABLE;
    sigaltstack(&none, nullptr);
    munmap(base, kAltStackSize);
  }
};
thread_local ThreadCrashStack t_crashStack;

}  // namespace

void UtcOffsetTable::Build(time_t from, int years) {
  auto offsetAt = [](time_t t) {
    struct tm local;
    localtime_r(&t, &local);
    return local.tm_gmtoff;
  };
  constexpr time_t kDay = 86400;
  time_t t = from - 2 * kDay;
  count_ = 0;
  spans_[count_++] = Span{INT64_MIN, offsetAt(t)};
  time_t end = from + static_cast<time_t>(years) * 366 * kDay;
  for (; t < end && count_ < kMaxSpans; t += kDay) {
    long next = offsetAt(t + kDay);
    if (next == spans_[count_ - 1].offset) continue;
    // The offset changes within this day: find its first second.
    time_t low = t, high = t + kDay;  // offset(low) is the old one, offset(high) the new
    while (high - low > 1) {
      time_t middle = low + (high - low) / 2;
      (offsetAt(middle) == next ? high : low) = middle;
    }
    spans_[count_++] = Span{static_cast<int64_t>(high), next};
  }
}

void UtcOffsetTable::ToLocal(time_t t, struct tm* local) const {
  long offset = 0;
  for (int i = 0; i < count_ && spans_[i].start <= t; ++i) offset = spans_[i].offset;
  int64_t seconds = static_cast<int64_t>(t) + offset;
  int64_t days = seconds / 86400;
  int64_t secondOfDay = seconds % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  // Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
  int64_t month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  *local = {};
  local->tm_year = static_cast<int>(year - 1900);
  local->tm_mon = static_cast<int>(month - 1);
  local->tm_mday = static_cast<int>(day);
  local->tm_hour = static_cast<int>(secondOfDay / 3600);
  local->tm_min = static_cast<int>(secondOfDay / 60 % 60);
  local->tm_sec = static_cast<int>(secondOfDay % 60);
  local->tm_gmtoff = offset;
}

bool InstallCrashDumpWriter(const std::string& dumpFolder, const std::string& programFileName) {
  if (g_installed.exchange(true)) return false;
  CopyText(g_folder, sizeof(g_folder), dumpFolder);
  CopyText(g_program, sizeof(g_program), programFileName);
  g_offsets.Build(time(nullptr), 20);
  void* warmUp[4];
  backtrace(warmUp, 4);  // loads the unwinder now: its first use allocates
  InstallCrashStackOnThisThread();
  for (int sig : kFatalSignals) {
    struct sigaction action = {};
    action.sa_sigaction = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigaction(sig, &action, nullptr);
  }
  return true;
}

void SetCrashDumpFolder(const std::string& dumpFolder) { CopyText(g_folder, sizeof(g_folder), dumpFolder); }

void InstallCrashStackOnThisThread() {
  if (t_crashStack.base != nullptr) return;
  void* base = mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return;
  stack_t stack = {};
  stack.ss_sp = base;
  stack.ss_size = kAltStackSize;
  if (sigaltstack(&stack, nullptr) != 0) {
    munmap(base, kAltStackSize);
    return;
  }
  t_crashStack.base = base;
}

std::string CrashDumpFileName(const std::string& folder, const std::string& program, const struct tm& local) {
  std::string buffer(folder.size() + program.size() + 32, '\0');
  FixedText name(buffer.data(), buffer.size());
  FormatDumpName(&name, folder.c_str(), program.c_str(), local);
  buffer.resize(name.length());
  return buffer;
}

size_t PruneCrashDumps(const std::string& folder, size_t keep) {
  std::vector<std::string> dumps;  // sorted by name, as listed
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (!entry.isFolder && fnmatch("*.dmp", entry.name.c_str(), 0) == 0) dumps.push_back(entry.name);
  }
  size_t deleted = 0;
  for (size_t i = 0; i + keep < dumps.size(); ++i) {
    if (unlink((folder + "/" + dumps[i]).c_str()) == 0) ++deleted;
  }
  return deleted;
}

}  // namespace platform
