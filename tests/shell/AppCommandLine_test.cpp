#include "shell/AppCommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Parsed {
  bool start;
  bool hide;
  int watchdog;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "TorvaneGateManager");
  CAppCommandLine line;
  line.ParseCommandLine(static_cast<int>(args.size()), args.data());
  return Parsed{line.start(), line.hide(), line.watchdogValue()};
}

TEST(AppCommandLine, ParsesStartHideAndWatchdog) {
  struct Case {
    std::vector<const char*> args;
    Parsed expected;
  } cases[] = {
      {{}, {false, false, 0}},
      {{"-start"}, {true, false, 0}},
      {{"/start"}, {true, false, 0}},
      {{"start"}, {false, false, 0}},  // no dash: a plain argument
      {{"-Start"}, {false, false, 0}},  // case-sensitive
      {{"--start"}, {false, false, 0}},
      {{"-start=x"}, {true, false, 0}},  // text after "=" is ignored
      {{"-hide"}, {false, true, 0}},
      {{"/hide"}, {false, true, 0}},
      {{"-hide=1"}, {false, true, 0}},
      {{"-start", "-hide"}, {true, true, 0}},  // the start-up entry's arguments
      {{"ByWatchdog=3"}, {true, false, 3}},
      {{"ByWatchdog=-2"}, {true, false, -2}},
      {{"ByWatchdog=0"}, {false, false, 0}},
      {{"ByWatchdog"}, {false, false, 0}},
      {{"ByWatchdog="}, {false, false, 0}},
      {{"ByWatchdog=abc"}, {false, false, 0}},
      {{"ByWatchdog=7x"}, {true, false, 7}},
      {{"-ByWatchdog=3"}, {false, false, 0}},  // a flag, not the plain argument
      {{"/ByWatchdog=3"}, {false, false, 0}},
      {{"bywatchdog=3"}, {false, false, 0}},
      {{"ByWatchdog==3"}, {true, false, 3}},  // empty pieces are dropped
      {{"-hide", "ByWatchdog=1"}, {true, true, 1}},
      {{"file.txt", "-print", "/dde", "-"}, {false, false, 0}},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const char* a : c.args) shown += std::string(a) + " ";
    Parsed p = Parse(c.args);
    EXPECT_EQ(p.start, c.expected.start) << shown;
    EXPECT_EQ(p.hide, c.expected.hide) << shown;
    EXPECT_EQ(p.watchdog, c.expected.watchdog) << shown;
  }
}

}  // namespace
