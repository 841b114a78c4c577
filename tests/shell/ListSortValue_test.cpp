#include "shell/ListSortValue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ListSortValue, CellTextsBecomeTheValuesOfTheirKind) {
  struct Case {
    int kind;
    const char* text;
    double value;
  };
  const Case cases[] = {
      // bit rate
      {LIST_SORT_BIT_RATE, "10 Kbps", 10240},
      {LIST_SORT_BIT_RATE, "3 Mbps", 3145728},
      {LIST_SORT_BIT_RATE, "1.5 Gbps", 1610612736},
      {LIST_SORT_BIT_RATE, "800bps", 800},
      {LIST_SORT_BIT_RATE, "fast", 0},
      {LIST_SORT_BIT_RATE, "bps", 0},
      {LIST_SORT_BIT_RATE, "10 kbps", 0},  // units are upper case
      {LIST_SORT_BIT_RATE, "10 Xbps", 0},
      // byte size
      {LIST_SORT_BYTE_SIZE, "2 KB", 2048},
      {LIST_SORT_BYTE_SIZE, "512 Bytes", 512},
      {LIST_SORT_BYTE_SIZE, "1.5 MB", 1572864},
      {LIST_SORT_BYTE_SIZE, "1 TB", 1099511627776.0},
      {LIST_SORT_BYTE_SIZE, "B", 0},
      {LIST_SORT_BYTE_SIZE, "100B", 0},
      {LIST_SORT_BYTE_SIZE, "2 KiB", 0},
      // duration, in microseconds
      {LIST_SORT_DURATION, "5s", 5000000},
      {LIST_SORT_DURATION, "20 ms", 20000},
      {LIST_SORT_DURATION, "7us", 7},
      {LIST_SORT_DURATION, "X", 0},
      {LIST_SORT_DURATION, "x", 0},
      {LIST_SORT_DURATION, "s", 0},
      {LIST_SORT_DURATION, "", 0},
      {LIST_SORT_DURATION, "5 min", 0},
      {LIST_SORT_DURATION, "3 hs", 0},
      // resolution
      {LIST_SORT_RESOLUTION, "1920x1080", 1920.0 * 1080},
      {LIST_SORT_RESOLUTION, "1280x720", 1280.0 * 720},
      {LIST_SORT_RESOLUTION, " 640x 480", 640.0 * 480},
      {LIST_SORT_RESOLUTION, "640 x 480", 0},
      {LIST_SORT_RESOLUTION, "none", 0},
      // percent
      {LIST_SORT_PERCENT, "75%", 75},
      {LIST_SORT_PERCENT, "8%", 8},
      {LIST_SORT_PERCENT, "12.5 %", 12.5},
      {LIST_SORT_PERCENT, "75", 0},
  };
  for (const Case& c : cases) {
    double value = 0;
    switch (c.kind) {
      case LIST_SORT_BIT_RATE: value = static_cast<double>(BitRateSortValue(c.text)); break;
      case LIST_SORT_BYTE_SIZE: value = static_cast<double>(ByteSizeSortValue(c.text)); break;
      case LIST_SORT_DURATION: value = static_cast<double>(DurationSortValue(c.text)); break;
      case LIST_SORT_RESOLUTION: value = ResolutionSortValue(c.text); break;
      case LIST_SORT_PERCENT: value = PercentSortValue(c.text); break;
    }
    EXPECT_DOUBLE_EQ(value, c.value) << "kind " << c.kind << " text \"" << c.text << "\"";
  }
}

TEST(ListSortValue, LeadingNumbersReadLikeTheRuntimeConversions) {
  struct Case {
    const char* text;
    int32_t integer;
    double real;
  };
  const Case cases[] = {
      {"42", 42, 42},
      {"  -7 apples", -7, -7},
      {"+3.75e2x", 3, 375},
      {"abc", 0, 0},
      {"", 0, 0},
      {"99999999999", 2147483647, 99999999999.0},
      {"-99999999999", -2147483647 - 1, -99999999999.0},
      {".5", 0, 0.5},
      {"nan", 0, 0},
      {"1e999", 1, HUGE_VAL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadLeadingInt32(c.text), c.integer) << c.text;
    EXPECT_DOUBLE_EQ(ReadLeadingReal(c.text), c.real) << c.text;
  }
}

TEST(ListSortValue, ComparatorsOrderAndDirection) {
  struct Case {
    int kind;
    const char* a;
    const char* b;
    int descending;  // result with ascending false (the first sort of a column)
  };
  const Case cases[] = {
      {LIST_SORT_NONE, "b", "a", 0},
      {LIST_SORT_ROW_NUMBER, "10", "9", -1},
      {LIST_SORT_TEXT, "b", "a", -1},
      {LIST_SORT_TEXT, "a", "ab", 1},
      {LIST_SORT_TEXT, "B", "a", 1},               // case-sensitive byte order
      {LIST_SORT_TEXT, "\xB0\xA1", "z", -1},       // bytes compare unsigned
      {LIST_SORT_INTEGER, "10", "9", -1},
      {LIST_SORT_INTEGER, "7", "7 items", 0},
      {LIST_SORT_REAL, "1.5", "1.25", -1},
      {LIST_SORT_REAL, "0.1", "0.1000000001", 0},  // single precision
      {LIST_SORT_PERCENT, "75%", "8%", -1},
      {LIST_SORT_PERCENT, "75", "8%", 1},
      {LIST_SORT_RESOLUTION, "1920x1080", "1280x720", -1},
      {LIST_SORT_BIT_RATE, "10 Kbps", "3 Mbps", 1},
      {LIST_SORT_BYTE_SIZE, "2 KB", "512 Bytes", -1},
      {LIST_SORT_DURATION, "5s", "20 ms", -1},
      {42, "b", "a", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareListCells(c.kind, c.a, c.b, false), c.descending) << c.kind << " " << c.a << " " << c.b;
    EXPECT_EQ(CompareListCells(c.kind, c.a, c.b, true), -c.descending) << c.kind << " " << c.a << " " << c.b;
  }
}

}  // namespace
