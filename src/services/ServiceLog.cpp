#include "services/ServiceLog.h"

#include <stdarg.h>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"

void CServiceLog::Write(const char* operation, int line, int level, const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  std::string function = std::string(className_) + "::" + operation;
  const LogCallSite site{sourceFile_, function.c_str(), line, nullptr};
  WriteLog(site, level, "%s", text.c_str());
}
