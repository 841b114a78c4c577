#include "shell/StringToIntDef.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(StringToIntDef, ReadsLikeAtolAndFallsBackOnlyWhenEmpty) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {nullptr, -7},  {"", -7},         {"42", 42},         {"  \t\n42", 42},      {"+5", 5},
      {"-2", -2},     {"12abc", 12},    {"abc", 0},         {" ", 0},              {"-", 0},
      {"- 3", 0},     {"0x1A", 0},      {"007", 7},         {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringToIntDef(c.text, -7), c.expected) << (c.text ? c.text : "(null)");
  }
}

}  // namespace
