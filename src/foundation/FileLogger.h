// CFileLogger: a component's own daily log file "<folder>/<prefix>_<yyyymmdd>.txt"
// with optional date-time stamps ("2024-01-31 14:03:27" in every locale) and level tags ("[ERROR] ", "[WARN] ",
// "[INFO] "), a flush interval, and a remover thread that deletes the
// component's files older than a number of days each time the log is opened.
// Nothing is written before Open has succeeded. Thread-safe: lock_ guards the
// stream and every field.
#pragma once

#include <stdarg.h>
#include <stdio.h>
#include <time.h>

#include <memory>
#include <string>

#include "foundation/DateTimeUtil.h"
#include "foundation/Lock.h"
#include "foundation/Thread.h"
#include "platform/Clock.h"

class CFileLogger {
 public:
  static constexpr int kDefaultKeepDays = 30;

  explicit CFileLogger(std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  // Closes the file and ends the remover (waits for it).
  virtual ~CFileLogger();
  CFileLogger(const CFileLogger&) = delete;
  CFileLogger& operator=(const CFileLogger&) = delete;

  // Settings; set them before Open.
  void SetPrefix(const std::string& prefix);
  void SetLevelTags(bool on);
  void SetTimeStamps(bool on);
  // 0: flush after every line; n > 0: when n seconds have passed since the
  // last flush; negative: never on writing.
  void SetFlushInterval(int seconds);
  void SetAutoRemove(bool on);
  // Files older than this many days are removed; 0 or less means 30.
  void SetKeepDays(int days);

  // Creates `folder` when missing, starts a remover pass (waiting up to 2 s,
  // then without limit, for the previous one) and opens today's file for
  // appending. False (logged through the process logger) when it cannot be opened.
  bool Open(const std::string& folder);
  // Writes one line: the text unchanged after the stamp and tag; callers end
  // it with a line feed. Reopens on a new day. Dropped when no file is open.
  void Write(int level, const std::string& text);
  // printf-style writes at level 1 and 3; return at once when no file is open.
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Info(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes pending lines to the file.
  void Flush();
  // Closes the file; later writes are dropped until Open.
  void Close();
  bool IsOpen();
  // The path of the file of `date`'s day.
  std::string GetFilePath(const SystemTime& date);

  // Waits up to `seconds` for the current remover pass to end (true when none runs).
  bool WaitForRemover(int seconds);

  // One removal pass on its own thread: deletes "<prefix>_????????.txt" files
  // of the folder dated before the cut-off day. Touches only the folder's files.
  class CAutoRemover : public CThread {
   public:
    CAutoRemover(std::string folder, std::string prefix, int keepDays, SystemTime today);
    ~CAutoRemover() override;

   protected:
    bool DoJob() override;

   private:
    const std::string folder_;
    const std::string prefix_;
    const int keepDays_;
    const SystemTime today_;
  };

 private:
  bool OpenLocked(const std::string& folder) REQUIRES(lock_);
  void WriteFormatted(int level, const char* format, va_list args);
  void StartAutoRemover(const SystemTime& today) REQUIRES(lock_);
  void CloseLocked() REQUIRES(lock_);
  std::string FilePathLocked(const SystemTime& date) REQUIRES(lock_);

  const std::shared_ptr<platform::Clock> clock_;
  CLock lock_;
  std::string folder_ GUARDED_BY(lock_);
  std::string prefix_ GUARDED_BY(lock_);
  bool levelTags_ GUARDED_BY(lock_) = true;
  bool timeStamps_ GUARDED_BY(lock_) = true;
  int flushInterval_ GUARDED_BY(lock_) = 0;
  bool autoRemove_ GUARDED_BY(lock_) = true;
  int keepDays_ GUARDED_BY(lock_) = 0;
  int fileDate_ GUARDED_BY(lock_) = 0;  // yyyymmdd of the open file
  time_t lastFlush_ GUARDED_BY(lock_) = 0;
  FILE* file_ GUARDED_BY(lock_) = nullptr;
  bool pending_ GUARDED_BY(lock_) = false;
  std::unique_ptr<CAutoRemover> remover_ GUARDED_BY(lock_);
};
