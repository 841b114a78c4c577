#include "shell/AppCommandLine.h"

#include "foundation/StrList.h"
#include "shell/StringToIntDef.h"

void CAppCommandLine::ParseCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* param = argv[i];
    bool flag = param[0] == '-' || param[0] == '/';
    ParseParam(flag ? param + 1 : param, flag, i == argc - 1);
  }
}

void CAppCommandLine::ParseParam(const char* param, bool flag, bool /*last*/) {
  CStrList pieces;
  pieces.Split(param, "=");
  const std::string& name = pieces.GetAt(0);
  if (flag) {
    if (name == "start") {
      start_ = 1;
    } else if (name == "hide") {
      hide_ = 1;
    }
  } else if (name == "ByWatchdog") {
    if (pieces.GetCount() > 1) watchdogValue_ = StringToIntDef(pieces.GetAt(1).c_str(), 0);
    if (watchdogValue_ != 0) start_ = 1;
  }
}
