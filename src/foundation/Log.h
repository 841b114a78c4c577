// The log call of every component. A call site carries the source file, the
// "Class::Method" name and the line; the text is a printf-style format that by
// convention begins "INFO - " or "ERROR - " and ends with "\r\n":
//
//   GATE_LOG(1, "ERROR - Error raised when connect database.\r\n");
//   GATE_LOG_DEFAULT("INFO - '%s' Started.\r\n", name.c_str());
//
// The process logger writes "<program folder>/Log/<yyyymmdd>/<program file
// name>.log"; it writes nothing until its levels are set (SetProcessLogLevels).
// Every call is thread-safe; a call at a level without output returns before
// formatting.
#pragma once

#include "foundation/GenericLogger.h"

// The record every log call passes, built on the caller's stack.
struct LogCallSite {
  const char* file;      // full path of the calling source file
  const char* function;  // "Class::Method" of the caller
  int line;
  CGenericLogger* logger;  // null: the process logger
};

// Formats and writes through the site's logger (the process logger when null);
// does nothing when there is no logger (after shut-down) or the level has no output.
void WriteLog(const LogCallSite& site, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// WriteLog at the chosen logger's default level (3).
void WriteLogAtLoggerLevel(const LogCallSite& site, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The process logger: created on the first call (name = the program's file
// name, base folder = "<program folder>/Log"); null once destroyed.
CGenericLogger* GetProcessLogger();
// Ends the process logger (stops the cleaner, closes the file); later log
// calls do nothing. Also registered to run at process exit.
void DestroyProcessLogger();

// The start-up level setting of the application: level 1 and the default level
// get the function name only (0x100, no output) for `useLogFile` 0 or less,
// debugger output and file (0x103) for 1, debugger output only (0x101) above 1.
void SetProcessLogLevels(int useLogFile);

// "Class::Method" taken from a compiler function signature such as
// "void CFoo::Bar(int) const"; the text is kept for the whole process.
const char* LogFunctionName(const char* prettyFunction);

#define GATE_LOG_SITE_(logger)                                                   \
  static const char* const gate_log_function_ = LogFunctionName(__PRETTY_FUNCTION__); \
  const LogCallSite gate_log_site_ { __FILE__, gate_log_function_, __LINE__, (logger) }

// Logs at `level` through the process logger.
#define GATE_LOG(level, ...)                          \
  do {                                                \
    GATE_LOG_SITE_(nullptr);                          \
    WriteLog(gate_log_site_, (level), __VA_ARGS__);   \
  } while (0)

// Logs at the process logger's default level.
#define GATE_LOG_DEFAULT(...)                             \
  do {                                                    \
    GATE_LOG_SITE_(nullptr);                              \
    WriteLogAtLoggerLevel(gate_log_site_, __VA_ARGS__);   \
  } while (0)

// Logs at `level` through the given CGenericLogger (null: the process logger).
#define GATE_LOG_TO(logger, level, ...)               \
  do {                                                \
    GATE_LOG_SITE_(logger);                           \
    WriteLog(gate_log_site_, (level), __VA_ARGS__);   \
  } while (0)
