// The program's command line: the flags -start and -hide (also written with
// "/") and the plain argument ByWatchdog=<n>, which the watchdog passes when
// it restarts the program. Names are exact and case-sensitive; text after "="
// of a flag is ignored; every other argument is ignored.
#pragma once

#include <string>

class CAppCommandLine {
 public:
  CAppCommandLine() = default;

  // Parses argv[1..argc-1] in order, each through ParseParam.
  void ParseCommandLine(int argc, const char* const* argv);

  // One argument: `flag` is true when it began with "-" or "/", and `param` is
  // then the text after that character. `last` is not used.
  void ParseParam(const char* param, bool flag, bool last);

  // Start the services as soon as the main window is up (-start, or a
  // non-zero ByWatchdog value).
  bool start() const { return start_ != 0; }
  // Start with the main window hidden (-hide).
  bool hide() const { return hide_ != 0; }
  // The value after ByWatchdog=; non-zero marks a start by the watchdog.
  int watchdogValue() const { return watchdogValue_; }

 private:
  int start_ = 0;
  int hide_ = 0;
  int watchdogValue_ = 0;
};
