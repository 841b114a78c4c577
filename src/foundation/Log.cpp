#include "foundation/Log.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/ProgramFolder.h"

namespace {

std::atomic<CGenericLogger*> g_processLogger{nullptr};
std::atomic<bool> g_processLoggerDestroyed{false};
std::mutex g_processLoggerCreation;

// Log reads the caller's errno for the "(Err:%u)" suffix; the caller keeps it.
void WriteThrough(const LogCallSite& site, CGenericLogger* logger, int level, const char* format,
                  va_list args, int lastError) {
  errno = lastError;
  logger->Log(level, site.file, site.line, site.function, format, args);
  errno = lastError;
}

CGenericLogger* LoggerOf(const LogCallSite& site) {
  return site.logger ? site.logger : GetProcessLogger();
}

}  // namespace

void WriteLog(const LogCallSite& site, int level, const char* format, ...) {
  int lastError = errno;
  CGenericLogger* logger = LoggerOf(site);
  if (!logger || !logger->WantsLevel(level)) return;
  va_list args;
  va_start(args, format);
  WriteThrough(site, logger, level, format, args, lastError);
  va_end(args);
}

void WriteLogAtLoggerLevel(const LogCallSite& site, const char* format, ...) {
  int lastError = errno;
  CGenericLogger* logger = LoggerOf(site);
  if (!logger || !logger->WantsLevel(logger->GetDefaultLevel())) return;
  va_list args;
  va_start(args, format);
  WriteThrough(site, logger, logger->GetDefaultLevel(), format, args, lastError);
  va_end(args);
}

CGenericLogger* GetProcessLogger() {
  if (g_processLoggerDestroyed.load(std::memory_order_acquire)) return nullptr;
  CGenericLogger* logger = g_processLogger.load(std::memory_order_acquire);
  if (logger) return logger;
  std::lock_guard<std::mutex> hold(g_processLoggerCreation);
  if (g_processLoggerDestroyed.load()) return nullptr;
  logger = g_processLogger.load();
  if (!logger) {
    logger = new CGenericLogger(platform::GetProgramFileName(), platform::ProgramPath("Log"));
    g_processLogger.store(logger, std::memory_order_release);
    atexit(DestroyProcessLogger);
  }
  return logger;
}

void DestroyProcessLogger() {
  std::lock_guard<std::mutex> hold(g_processLoggerCreation);
  g_processLoggerDestroyed.store(true, std::memory_order_release);
  // The object itself is kept: a thread that fetched it just before may still
  // be inside Write, which now returns at once.
  if (CGenericLogger* logger = g_processLogger.load()) logger->Shutdown();
}

void SetProcessLogLevels(int useLogFile) {
  CGenericLogger* logger = GetProcessLogger();
  if (!logger) return;
  int flags = LOG_OUTPUT_FUNCTION;
  if (useLogFile == 1) {
    flags |= LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FILE;
  } else if (useLogFile > 1) {
    flags |= LOG_OUTPUT_DEBUGGER;
  }
  logger->SetLevelFlags(logger->GetDefaultLevel(), flags);
  logger->SetLevelFlags(1, flags);
}

const char* LogFunctionName(const char* prettyFunction) {
  if (!prettyFunction) return "";
  // clang writes an unnamed namespace as "(anonymous namespace)", gcc as
  // "{anonymous}": both log as gcc writes it.
  std::string spelled = prettyFunction;
  static constexpr std::string_view kClangAnonymous = "(anonymous namespace)";
  for (size_t at; (at = spelled.find(kClangAnonymous)) != std::string::npos;) {
    spelled.replace(at, kClangAnonymous.size(), "{anonymous}");
  }
  std::string_view text = spelled;
  // The qualified name ends at the parameter list: the first '(' outside
  // template brackets that is not part of "operator()".
  int depth = 0;
  size_t end = text.size();
  size_t start = 0;  // after the last blank outside brackets: drops the return type
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '<') {
      ++depth;
    } else if (c == '>' && depth > 0) {
      --depth;
    } else if (depth == 0 && c == ' ' && !text.substr(0, i).ends_with("operator")) {
      start = i + 1;
    } else if (depth == 0 && c == '(') {
      if (text.substr(0, i).ends_with("operator") && text.substr(i).starts_with("()")) {
        ++i;
        continue;
      }
      end = i;
      break;
    }
  }
  std::string_view name = text.substr(start, end - start);
  while (!name.empty() && (name[0] == '*' || name[0] == '&')) name.remove_prefix(1);
  char* copy = static_cast<char*>(malloc(name.size() + 1));  // kept for the process' life
  if (!copy) return "";
  memcpy(copy, name.data(), name.size());
  copy[name.size()] = '\0';
  return copy;
}
