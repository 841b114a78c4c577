// The stopwatch's log lines, and spans across the tick counter's wrap.
#include "database/PerformanceChecker.h"

#include <gtest/gtest.h>

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

TEST(PerformanceChecker, MeasuresAcrossTheTickCounterWrap) {
  auto clock = std::make_shared<platform::ManualClock>();
  clock->SetTickCount(0xFFFFFFF0u);
  LogCapture log;
  {
    CPerformanceChecker checker("wrap", clock);
    clock->SetTickCount(0x10u);  // 32 ms later, past the wrap
    checker.Check();
  }
  std::smatch match;
  std::string text = log.Text();
  ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(Performance1 : (\d+) msec)"))) << text;
  unsigned long lap = std::stoul(match[1]);
  EXPECT_GE(lap, 32u);
  EXPECT_LT(lap, 32u + 5000u);  // never the near-2^32 of an unsigned underflow
  ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(Total Delay : (\d+) msec)"))) << text;
  EXPECT_LT(std::stoul(match[1]), 32u + 5000u);
}

}  // namespace
