// CGenericLogger: turns log texts into time-stamped lines, sends them to the
// debugger output (standard error) and/or appends them to a dated log file
// "<base folder>/<yyyymmdd>/<name>.log", and once a day removes its files from
// dated folders that are 60 days old or older, on a background thread.
// What reaches the outputs is decided per level by a table of LogOutputFlags.
#pragma once

#include <stdarg.h>
#include <stdint.h>
#include <time.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "foundation/Lock.h"
#include "platform/Clock.h"

// The output bits stored per level.
enum LogOutputFlags : int {
  LOG_OUTPUT_DEBUGGER = 0x1,   // write the line to the debugger output (standard error)
  LOG_OUTPUT_FILE = 0x2,       // write the line to the log file
  LOG_OUTPUT_SOURCE = 0x10,    // append "(File:<file name>(<line>))"
  LOG_OUTPUT_NAME = 0x20,      // debugger output only: "<logger name>: " before the text
  LOG_OUTPUT_LAST_ERROR = 0x40,  // append "(Err:%u)" with the caller's errno
  LOG_OUTPUT_TIME = 0x80,      // debugger output only: the time stamp before the text
  LOG_OUTPUT_FUNCTION = 0x100, // "[Class::Method]" before the text
};

class CGenericLogger {
 public:
  static constexpr int kDefaultLevel = 3;
  static constexpr int64_t kFileSizeCap = 0xA00000;  // 10,485,760 bytes
  static constexpr int kKeepDays = 60;
  static constexpr size_t kDebugLineLimit = 510;

  // `name`: the file of a day is "<name>.log"; `baseFolder` (blanks trimmed)
  // holds the dated folders. Nothing is written until levels get flags.
  CGenericLogger(std::string name, std::string baseFolder,
                 std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  // Stops writing, ends a running cleaner pass (waits for it) and closes the file.
  virtual ~CGenericLogger();
  CGenericLogger(const CGenericLogger&) = delete;
  CGenericLogger& operator=(const CGenericLogger&) = delete;

  // Formats `format` with printf rules (C locale) and writes it with Write.
  void Log(int level, const char* file, int line, const char* function, const char* format,
           va_list args);
  // Writes one text: each non-empty piece between CR/LF characters becomes a
  // line with the same time stamp. Takes the write lock for the whole text;
  // blocks for the file write. `lastError` is the caller's errno (bit 0x40).
  // Failures (file cannot be opened, size cap reached) drop the line silently.
  void Write(int level, const char* file, int line, const char* function, std::string_view text,
             int lastError = 0);

  // The level's bits, 0 when it has none. Lock-free for levels 0-31.
  int GetLevelFlags(int level) const;
  // Stores the level's bits (takes the write lock).
  void SetLevelFlags(int level, int flags);
  // True when a line of `level` would reach an output (lock-free for levels 0-31);
  // lets callers skip formatting.
  bool WantsLevel(int level) const;

  int GetDefaultLevel() const { return kDefaultLevel; }
  const std::string& GetName() const { return name_; }
  const std::string& GetBaseFolder() const { return baseFolder_; }

  // Stops writing for good, ends a running cleaner pass and closes the file
  // (what the destructor does; the object stays valid for late callers).
  void Shutdown();

  // Sends debugger lines to `fd` in place of standard error (tests).
  void SetDebugOutputFd(int fd) { debugFd_.store(fd); }
  // Waits up to `timeoutMs` for a running cleaner pass to end; true when none runs.
  bool WaitForCleanup(int timeoutMs);

 private:
  struct Stamp {
    char text[20];  // "[HH:MM:SS.mmm]"
    size_t length;
    int date;       // yyyymmdd
  };

  Stamp MakeStamp() REQUIRES(writeLock_);
  void WriteDebugOutput(int flags, const Stamp& stamp, const char* file, int line,
                        const char* function, std::string_view text, int lastError);
  void WriteFile(int flags, const Stamp& stamp, const char* file, int line, const char* function,
                 std::string_view text, int lastError) REQUIRES(writeLock_);
  bool OpenFileFor(int date) REQUIRES(writeLock_);
  void CloseFile() REQUIRES(writeLock_);
  void StartCleanup(time_t now) REQUIRES(writeLock_);
  void StopCleaner() REQUIRES(writeLock_);
  void RemoveOldFolders(time_t cutoff);

  const std::string name_;
  const std::string baseFolder_;
  const std::shared_ptr<platform::Clock> clock_;
  std::atomic<int> debugFd_{2};
  std::atomic<bool> enabled_{true};
  std::atomic<int> fastFlags_[32] = {};  // copies of the table's entries 0-31, for lock-free reads

  mutable CMutex writeLock_;
  std::map<int, int> levels_ GUARDED_BY(writeLock_);
  int fd_ GUARDED_BY(writeLock_) = -1;
  int fileDate_ GUARDED_BY(writeLock_) = 0;  // yyyymmdd of the open file
  time_t lastCutoff_ GUARDED_BY(writeLock_);
  int64_t stampSecond_ GUARDED_BY(writeLock_) = INT64_MIN;  // the second of the cached local time
  platform::LocalDateTime stampTime_ GUARDED_BY(writeLock_);
  std::thread cleaner_ GUARDED_BY(writeLock_);

  // The cleaner pass: cleanerLock_ is held by a pass for its whole folder walk.
  CMutex cleanerLock_;
  std::atomic<bool> cleanerStop_{false};
  CMutex cleanerStateLock_;
  std::condition_variable cleanerDone_;
  bool cleanerRunning_ GUARDED_BY(cleanerStateLock_) = false;
};
