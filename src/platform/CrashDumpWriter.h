// Crash dumps: a handler for the fatal signals (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGABRT, SIGSYS) that writes `<dump folder>/<program>-YYYYMMDD-hhmmss.dmp`
// (signal, fault address, thread, backtrace, memory map) and then lets the
// signal end the process, so a crash never looks like a clean exit. The
// handler runs on an alternate stack (a stack overflow can still be reported)
// and uses only async-signal-safe calls. When two threads fail at once, the
// first writes the dump and ends the process; the second waits for that.
#pragma once

#include <time.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Installs the handler for the whole process and an alternate signal stack
// for the calling thread. Only the first call installs; it returns true.
// Later calls return false and change nothing. Call before other threads start.
bool InstallCrashDumpWriter(const std::string& dumpFolder, const std::string& programFileName);

// Changes the folder that receives the dumps (created, one level, when a dump
// is due). Call before other threads start: the handler reads it unlocked.
void SetCrashDumpFolder(const std::string& dumpFolder);

// Gives the calling thread an alternate signal stack of its own (freed when the
// thread ends), so that a stack overflow on it is reported too. Threads without
// one still get their dumps for every other fault. Idempotent per thread.
void InstallCrashStackOnThisThread();

// `<folder>/<program>-YYYYMMDD-hhmmss.dmp` for the local time `local`.
std::string CrashDumpFileName(const std::string& folder, const std::string& program, const struct tm& local);

// Deletes the `*.dmp` files of `folder` except the `keep` last by name (the
// newest, as names carry a sortable time stamp). Returns how many were deleted;
// a missing folder deletes nothing.
size_t PruneCrashDumps(const std::string& folder, size_t keep);

// Local time without localtime_r (which takes locks and may read files, so
// the crash handler cannot call it): the offsets from UTC and the moments they
// change, computed ahead of time for a span of years.
class UtcOffsetTable {
 public:
  // Computes the offsets of the current time zone from `from` for `years`
  // years. Not async-signal-safe; call at start-up.
  void Build(time_t from, int years);

  // Fills the calendar fields of `local` (year, month, day, hour, minute,
  // second) for the UTC time `t`. Async-signal-safe. A time past the table
  // uses its last offset.
  void ToLocal(time_t t, struct tm* local) const;

 private:
  struct Span {
    int64_t start;  // first second the offset holds
    long offset;    // seconds east of UTC
  };
  static constexpr int kMaxSpans = 96;
  Span spans_[kMaxSpans] = {};
  int count_ = 0;
};

}  // namespace platform
