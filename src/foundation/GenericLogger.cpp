#include "foundation/GenericLogger.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/StringUtil.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace {

constexpr int kOutputBits = LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FILE;

// The source file's name without its folders.
const char* BaseName(const char* path) {
  if (!path) return "";
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Appends the texts that follow a line's text: "(File:...)" and "(Err:...)".
void AppendSuffixes(std::string* out, int flags, const char* file, int line, int lastError) {
  char buffer[64];
  if (flags & LOG_OUTPUT_SOURCE) {
    out->append("(File:").append(BaseName(file));
    snprintf(buffer, sizeof(buffer), "(%d))", line);
    out->append(buffer);
  }
  if (flags & LOG_OUTPUT_LAST_ERROR) {
    snprintf(buffer, sizeof(buffer), "(Err:%u)", static_cast<unsigned>(lastError));
    out->append(buffer);
  }
}

// Ends a line with CR LF: a line ending in CR LF stays, a final lone LF becomes CR LF.
void EndLine(std::string* out) {
  size_t n = out->size();
  if (n >= 2 && (*out)[n - 2] == '\r' && (*out)[n - 1] == '\n') return;
  if (n >= 1 && (*out)[n - 1] == '\n') {
    out->insert(n - 1, 1, '\r');
    return;
  }
  out->append("\r\n");
}

// The leading decimal number of `text` (atoi rules), 0 when there is none.
int LeadingNumber(const std::string& text) { return atoi(text.c_str()); }

}  // namespace

CGenericLogger::CGenericLogger(std::string name, std::string baseFolder,
                               std::shared_ptr<platform::Clock> clock)
    : name_(std::move(name)),
      baseFolder_(StrTrim(baseFolder)),
      clock_(clock ? std::move(clock) : platform::SystemClock()),
      lastCutoff_(platform::FromLocalDateTime(1970, 1, 1, 23, 59, 59)) {}

CGenericLogger::~CGenericLogger() { Shutdown(); }

void CGenericLogger::Shutdown() {
  CMutexLock hold(writeLock_);
  enabled_.store(false);
  StopCleaner();
  CloseFile();
}

int CGenericLogger::GetLevelFlags(int level) const {
  if (level >= 0 && level < 32) return fastFlags_[level].load(std::memory_order_relaxed);
  CMutexLock hold(writeLock_);
  auto it = levels_.find(level);
  return it == levels_.end() ? 0 : it->second;
}

void CGenericLogger::SetLevelFlags(int level, int flags) {
  CMutexLock hold(writeLock_);
  levels_[level] = flags;
  if (level >= 0 && level < 32) fastFlags_[level].store(flags, std::memory_order_relaxed);
}

bool CGenericLogger::WantsLevel(int level) const {
  return enabled_.load(std::memory_order_relaxed) && (GetLevelFlags(level) & kOutputBits) != 0;
}

void CGenericLogger::Log(int level, const char* file, int line, const char* function,
                         const char* format, va_list args) {
  int lastError = errno;
  if (!WantsLevel(level)) return;
  std::string text;
  StrAppendFormatV(&text, format, args);
  Write(level, file, line, function, text, lastError);
}

CGenericLogger::Stamp CGenericLogger::MakeStamp() {
  int64_t micros = clock_->NowMicros();
  int64_t second = micros >= 0 ? micros / 1000000 : (micros - 999999) / 1000000;
  if (second != stampSecond_) {  // localtime only once a second
    stampTime_ = platform::ToLocalDateTime(second * 1000000);
    stampSecond_ = second;
  }
  Stamp stamp;
  int ms = static_cast<int>((micros - second * 1000000) / 1000);
  stamp.length = static_cast<size_t>(snprintf(stamp.text, sizeof(stamp.text), "[%.2d:%.2d:%.2d.%.3d]",
                                              stampTime_.hour, stampTime_.minute, stampTime_.second, ms));
  stamp.date = stampTime_.year * 10000 + stampTime_.month * 100 + stampTime_.day;
  return stamp;
}

void CGenericLogger::Write(int level, const char* file, int line, const char* function,
                           std::string_view text, int lastError) {
  if (!enabled_.load(std::memory_order_relaxed)) return;
  int flags = GetLevelFlags(level);
  if ((flags & kOutputBits) == 0) return;
  CMutexLock hold(writeLock_);
  if (!enabled_.load(std::memory_order_relaxed)) return;
  Stamp stamp = MakeStamp();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) {
      std::string_view piece = text.substr(start, end - start);
      if (flags & LOG_OUTPUT_DEBUGGER) WriteDebugOutput(flags, stamp, file, line, function, piece, lastError);
      if (flags & LOG_OUTPUT_FILE) WriteFile(flags, stamp, file, line, function, piece, lastError);
    }
    start = end + 1;
  }
}

void CGenericLogger::WriteDebugOutput(int flags, const Stamp& stamp, const char* file, int line,
                                      const char* function, std::string_view text, int lastError) {
  std::string out;
  out.reserve(text.size() + 64);
  if (flags & LOG_OUTPUT_TIME) out.append(stamp.text, stamp.length);
  if (flags & LOG_OUTPUT_FUNCTION) out.append("[").append(function ? function : "").append("]");
  if (flags & LOG_OUTPUT_NAME) out.append(name_).append(": ");
  if (!out.empty()) out.push_back(' ');
  out.append(text);
  AppendSuffixes(&out, flags, file, line, lastError);
  if (out.size() > kDebugLineLimit) out.resize(kDebugLineLimit);
  EndLine(&out);
  platform::WriteAll(debugFd_.load(), out.data(), out.size());
}

void CGenericLogger::WriteFile(int flags, const Stamp& stamp, const char* file, int line,
                               const char* function, std::string_view text, int lastError) {
  std::string out;
  out.reserve(text.size() + 64);
  out.append(stamp.text, stamp.length);
  if (flags & LOG_OUTPUT_FUNCTION) out.append("[").append(function ? function : "").append("]");
  out.append(text);
  AppendSuffixes(&out, flags, file, line, lastError);
  EndLine(&out);

  if (fd_ < 0 || fileDate_ != stamp.date) {
    CloseFile();
    StartCleanup(clock_->NowSeconds());
    if (!OpenFileFor(stamp.date)) return;  // dropped; the next line tries again
  }
  struct stat st;
  if (fstat(fd_, &st) != 0) return;
  if (st.st_size >= kFileSizeCap) return;  // full until the next day's file
  // One write per line with O_APPEND: the line is in the file when the call returns.
  if (!platform::WriteAll(fd_, out.data(), out.size())) CloseFile();
}

bool CGenericLogger::OpenFileFor(int date) {
  char dated[16];
  snprintf(dated, sizeof(dated), "%.4d%.2d%.2d", date / 10000, date / 100 % 100, date % 100);
  std::string folder = baseFolder_ + "/" + dated;
  if (!platform::CreateFolderTree(folder)) return false;
  std::string path = folder + "/" + name_ + ".log";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  fd_ = fd;
  fileDate_ = date;
  return true;
}

void CGenericLogger::CloseFile() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  fileDate_ = 0;
}

void CGenericLogger::StartCleanup(time_t now) {
  const time_t keep = static_cast<time_t>(kKeepDays) * 86400;
  if (now > lastCutoff_ && now - lastCutoff_ <= keep) return;
  platform::LocalDateTime day = platform::ToLocalDateTime(static_cast<int64_t>(now - keep) * 1000000);
  time_t cutoff = platform::FromLocalDateTime(day.year, day.month, day.day, 23, 59, 59);
  lastCutoff_ = cutoff;
  StopCleaner();
  {
    CMutexLock state(cleanerStateLock_);
    cleanerRunning_ = true;
  }
  cleanerStop_.store(false);
  cleaner_ = std::thread([this, cutoff] {
    RemoveOldFolders(cutoff);
    CMutexLock state(cleanerStateLock_);
    cleanerRunning_ = false;
    cleanerDone_.notify_all();
  });
}

void CGenericLogger::StopCleaner() {
  if (!cleaner_.joinable()) return;
  cleanerStop_.store(true);
  cleaner_.join();
}

bool CGenericLogger::WaitForCleanup(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  CMutexLock state(cleanerStateLock_);
  while (cleanerRunning_) {
    if (cleanerDone_.wait_until(state.ForWait(), deadline) == std::cv_status::timeout) return !cleanerRunning_;
  }
  return true;
}

void CGenericLogger::RemoveOldFolders(time_t cutoff) {
  if (baseFolder_.empty() || !platform::CreateFolderTree(baseFolder_)) return;
  CMutexLock hold(cleanerLock_);
  for (const platform::FolderEntry& entry : platform::ListFolder(baseFolder_)) {
    if (cleanerStop_.load()) return;
    if (!entry.isFolder || entry.name.size() < 8) continue;
    int year = LeadingNumber(entry.name.substr(0, 4));
    int month = LeadingNumber(entry.name.substr(4, 2));
    int day = LeadingNumber(entry.name.substr(6, 2));
    if (year < 1970 || month < 1 || day < 1) continue;
    if (month > 12 || day > 31) return;  // a malformed name ends the pass
    time_t date = platform::FromLocalDateTime(year, month, day, 0, 0, 0);
    if (date == static_cast<time_t>(-1) || date > cutoff) continue;
    std::string folder = baseFolder_ + "/" + entry.name;
    if (unlink((folder + "/" + name_ + ".log").c_str()) == 0) rmdir(folder.c_str());
  }
}
