// The stopwatch's log lines, and spans across the tick counter's wrap.
#include "database/PerformanceChecker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>

#include "database/DatabaseFixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST(PerformanceChecker, WithoutLapsLogsStartAndTotal) {
  LogCapture log;
  { CPerformanceChecker checker("TBL_Camera"); }
  auto lines = Lines(log.Text());
  ASSERT_EQ(lines.size(), 2u) << log.Text();
  EXPECT_EQ(lines[0], "[CPerformanceChecker::CPerformanceChecker] INFO - 'TBL_Camera' Start");
  EXPECT_TRUE(std::regex_match(
      lines[1], std::regex(R"(\[CPerformanceChecker::CheckTotal\] INFO - 'TBL_Camera' Total Delay : \d+ msec)")))
      << lines[1];
}

TEST(PerformanceChecker, TwoLapsGiveThreeAndTheTotal) {
  LogCapture log;
  {
    CPerformanceChecker checker("GetEntityList");
    checker.Check();
    checker.Check();
  }
  auto lines = Lines(log.Text());
  ASSERT_EQ(lines.size(), 5u) << log.Text();
  for (int lap = 1; lap <= 3; ++lap) {
    EXPECT_TRUE(std::regex_match(lines[static_cast<size_t>(lap)],
                                 std::regex(R"(\[CPerformanceChecker::Check\] INFO - 'GetEntityList' Performance)" +
                                            std::to_string(lap) + R"( : \d+ msec)")))
        << lines[static_cast<size_t>(lap)];
  }
  EXPECT_NE(lines[4].find("'GetEntityList' Total Delay : "), std::string::npos);
}

// A tick counter that stands where the test puts it.
class SetTickClock : public platform::Clock {
 public:
  int64_t NowMicros() const override { return 0; }
  uint32_t TickCount() const override { return tick.load(); }
  uint64_t MonotonicMillis() const override { return tick.load(); }
  std::atomic<uint32_t> tick{0};
};

TEST(PerformanceChecker, MeasuresAcrossTheTickCounterWrap) {
  auto clock = std::make_shared<SetTickClock>();
  clock->tick = 0xFFFFFFF0u;
  LogCapture log;
  {
    CPerformanceChecker checker("wrap", clock);
    clock->tick = 0x10u;  // 32 ms later, past the wrap
    checker.Check();
    clock->tick = 0x20u;
  }
  std::string text = log.Text();
  EXPECT_NE(text.find("'wrap' Performance1 : 32 msec"), std::string::npos) << text;
  EXPECT_NE(text.find("'wrap' Performance2 : 16 msec"), std::string::npos) << text;
  EXPECT_NE(text.find("'wrap' Total Delay : 48 msec"), std::string::npos) << text;
}

}  // namespace
