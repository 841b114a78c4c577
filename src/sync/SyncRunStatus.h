// The steps every synchronizer run shares with its job's run status (a
// TGuardedJobStatus of the frame): taking the job when it is due, stamping
// the start, and at the end storing the result and writing the status file.
#pragma once

#include <stdint.h>

#include <string>

#include "services/ServiceLog.h"

// A job is due when the clock went back before its last start or
// `periodSeconds` have passed since.
inline bool IsSyncRunDue(int64_t now, int64_t lastStart, int periodSeconds) {
  return now < lastStart || now - lastStart >= periodSeconds;
}

// True, with LastDateTimeExecuted set to `now`, when the job is due (its
// last start as the status holds it). Takes the status's lock once.
template <class GuardedStatus>
bool TakeDueRun(GuardedStatus& status, int64_t now, int periodSeconds) {
  bool due = false;
  status.Update([&](auto& s) {
    due = IsSyncRunDue(now, s.GetLastExecutedTime(), periodSeconds);
    if (due) s.SetLastExecutedTime(now);
  });
  return due;
}

// Stores `code` (and, when `synchronizedAt` is above 0, the time of the
// accepted changes) and writes the status to `path`; a file that cannot be
// written is logged and the run goes on.
template <class GuardedStatus>
void EndSyncRun(GuardedStatus& status, int code, int64_t synchronizedAt, const std::string& path,
                const CServiceLog& log) {
  status.Update([&](auto& s) {
    s.SetLastErrorCode(code);
    if (synchronizedAt > 0) s.SetLastSynchronizedTime(synchronizedAt);
  });
  if (!status.Save(path)) {
    SERVICE_LOG(log, "SaveSynchronizerStatus", "ERROR - Error raised when write status data to file. (%s)\r\n",
                path.c_str());
  }
}
