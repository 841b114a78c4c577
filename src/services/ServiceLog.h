// CServiceLog: the log lines of one service under the service's own names:
// the source file ("AIEventPublisher") and "Class::Operation"
// ("CAIEventPublisher::Start"), so the frame's shared code logs as the
// service that runs it. Writes through the process logger; any thread.
#pragma once

#include <string>

class CServiceLog {
 public:
  // Both texts must outlive the object (the services pass literals).
  CServiceLog(const char* sourceFile, const char* className) : sourceFile_(sourceFile), className_(className) {}

  // Logs the formatted text at `level` as "<class>::<operation>" at `line`.
  void Write(const char* operation, int line, int level, const char* format, ...) const
      __attribute__((format(printf, 5, 6)));

  const char* GetClassName() const { return className_; }

 private:
  const char* sourceFile_;
  const char* className_;
};

// Logs at level 1 through `log` for `operation` at this line.
#define SERVICE_LOG(log, operation, ...) (log).Write((operation), __LINE__, 1, __VA_ARGS__)
