#include "foundation/FileLogger.h"

#include <stdio.h>
#include <unistd.h>

#include <map>
#include <vector>

#include "foundation/FileUtil.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

namespace {

const char* LevelTag(int level) {
  switch (level) {
    case 1: return "[ERROR] ";
    case 2: return "[WARN] ";
    case 3: return "[INFO] ";
    default: return "";
  }
}

int DateNumber(const SystemTime& t) { return t.year * 10000 + t.month * 100 + t.day; }

}  // namespace

CFileLogger::CFileLogger(std::shared_ptr<platform::Clock> clock)
    : clock_(clock ? std::move(clock) : platform::SystemClock()) {}

CFileLogger::~CFileLogger() {
  Close();
  std::unique_ptr<CAutoRemover> remover;
  {
    CScopedLock hold(lock_);
    remover.swap(remover_);
  }
  remover.reset();  // its destructor ends the pass
}

void CFileLogger::SetPrefix(const std::string& prefix) {
  CScopedLock hold(lock_);
  prefix_ = prefix;
}
void CFileLogger::SetLevelTags(bool on) {
  CScopedLock hold(lock_);
  levelTags_ = on;
}
void CFileLogger::SetTimeStamps(bool on) {
  CScopedLock hold(lock_);
  timeStamps_ = on;
}
void CFileLogger::SetFlushInterval(int seconds) {
  CScopedLock hold(lock_);
  flushInterval_ = seconds;
}
void CFileLogger::SetAutoRemove(bool on) {
  CScopedLock hold(lock_);
  autoRemove_ = on;
}
void CFileLogger::SetKeepDays(int days) {
  CScopedLock hold(lock_);
  keepDays_ = days;
}

std::string CFileLogger::GetFilePath(const SystemTime& date) {
  CScopedLock hold(lock_);
  return FilePathLocked(date);
}

std::string CFileLogger::FilePathLocked(const SystemTime& date) {
  std::string prefix = prefix_.empty() ? std::string() : prefix_ + "_";
  return StrFormat("%s/%s%04d%02d%02d.txt", folder_.c_str(), prefix.c_str(), date.year, date.month, date.day);
}

bool CFileLogger::Open(const std::string& folder) {
  CScopedLock hold(lock_);
  return OpenLocked(folder);
}

bool CFileLogger::OpenLocked(const std::string& folder) {
  folder_ = folder;
  CloseLocked();
  CreateDirectoryPath(folder_);
  SystemTime now = clock_->LocalNow();
  if (autoRemove_) StartAutoRemover(now);
  std::string path = FilePathLocked(now);
  FILE* file = fopen(path.c_str(), "ae+");
  if (!file) {
    GATE_LOG_DEFAULT("ERROR - fopen(%s) failed..\r\n", path.c_str());
    return false;
  }
  file_ = file;
  fileDate_ = DateNumber(now);
  lastFlush_ = clock_->NowSeconds();
  pending_ = false;
  return true;
}

void CFileLogger::StartAutoRemover(const SystemTime& today) {
  if (remover_) {
    remover_->Stop();
    remover_->Wait(2);
    remover_.reset();  // the destructor waits for a pass that overran
  }
  remover_ = std::make_unique<CAutoRemover>(folder_, prefix_, keepDays_, today);
  remover_->Start("FileLogger-AutoRemover");
}

bool CFileLogger::WaitForRemover(int seconds) {
  CScopedLock hold(lock_);
  return !remover_ || remover_->Wait(seconds);
}

void CFileLogger::Write(int level, const std::string& text) {
  std::string line;
  {
    CScopedLock hold(lock_);
    if (!file_) return;
    SystemTime now = clock_->LocalNow();
    if (DateNumber(now) != fileDate_ && !OpenLocked(folder_)) return;
    if (timeStamps_) line = FormatDateTimeText(now) + " ";  // 2024-01-31 14:03:27, whatever the locale
    if (levelTags_) line += LevelTag(level);
    if (timeStamps_ || levelTags_) line += ": ";
    line += text;

    time_t seconds = clock_->NowSeconds();
    bool flush = flushInterval_ == 0 ||
                 (flushInterval_ > 0 && (seconds < lastFlush_ || seconds - lastFlush_ >= flushInterval_));
    if (flush) lastFlush_ = seconds;
    size_t written = fwrite(line.data(), 1, line.size(), file_);
    if (flush) {
      fflush(file_);
      pending_ = false;
    } else {
      pending_ = true;
    }
    if (written == line.size()) return;
  }
  GATE_LOG_DEFAULT("ERROR - Log writting error. [%s]\r\n", line.c_str());
}

void CFileLogger::WriteFormatted(int level, const char* format, va_list args) {
  if (!IsOpen()) return;
  Write(level, StrFormatV(format, args));
}

void CFileLogger::Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(1, format, args);
  va_end(args);
}

void CFileLogger::Info(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteFormatted(3, format, args);
  va_end(args);
}

void CFileLogger::Flush() {
  CScopedLock hold(lock_);
  if (file_ && pending_) fflush(file_);
  pending_ = false;
}

void CFileLogger::Close() {
  CScopedLock hold(lock_);
  CloseLocked();
}

void CFileLogger::CloseLocked() {
  if (file_) fclose(file_);
  file_ = nullptr;
  pending_ = false;
}

bool CFileLogger::IsOpen() {
  CScopedLock hold(lock_);
  return file_ != nullptr;
}

CFileLogger::CAutoRemover::CAutoRemover(std::string folder, std::string prefix, int keepDays,
                                        SystemTime today)
    : folder_(std::move(folder)), prefix_(std::move(prefix)), keepDays_(keepDays), today_(today) {}

CFileLogger::CAutoRemover::~CAutoRemover() { EndThread(); }

bool CFileLogger::CAutoRemover::DoJob() {
  int keep = keepDays_ < 1 ? kDefaultKeepDays : keepDays_;
  SystemTime midnight = today_;
  midnight.hour = midnight.minute = midnight.second = midnight.millisecond = 0;
  SystemTime cutoff;
  AddSecondsToSystemTime(midnight, &cutoff, -keep * 86400);
  int cutoffDate = DateNumber(cutoff);

  std::vector<std::string> paths;
  std::string pattern = prefix_.empty() ? "????????.txt" : prefix_ + "_????????.txt";
  WalkFolder(folder_, AddFileToList, &paths, pattern, false);
  std::map<int, std::string> old;  // date -> path, deleted oldest first
  for (const std::string& path : paths) {
    std::string name;
    GetFileNamePart(path, &name);
    CStrList parts;
    int count = parts.Split(name, "_");
    if (count != (prefix_.empty() ? 1 : 2)) continue;
    const std::string& datePart = parts.GetAt(count - 1);
    if (datePart.size() != 12) continue;
    int date = atoi(datePart.substr(0, 4).c_str()) * 10000 + atoi(datePart.substr(4, 2).c_str()) * 100 +
               atoi(datePart.substr(6, 2).c_str());
    if (date < cutoffDate) old[date] = path;
  }
  for (const auto& entry : old) {
    if (IsStopRequested()) break;
    unlink(entry.second.c_str());
  }
  return false;  // one pass, then the thread ends
}
