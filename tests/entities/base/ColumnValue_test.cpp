#include "entities/base/ColumnValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "entities/base/RelationInfo.h"

namespace {

TEST(ColumnValue, SqlLiteralQuotesAndEscapesOnlyTextKinds) {
  struct Case {
    std::string value;
    int kind;
    std::string literal;
  } cases[] = {
      {"it's", kColumnKindString, "'it\\'s'"},
      {"C:\\dir", kColumnKindString, "'C:\\\\dir'"},
      {"a\\'b", kColumnKindString, "'a\\\\\\'b'"},  // the escape before the apostrophe is not doubled
      {"", kColumnKindString, "''"},
      {"2024-01-02 03:04:05", kColumnKindDateTime, "'2024-01-02 03:04:05'"},
      {"2024-01-02", kColumnKindDate, "'2024-01-02'"},
      {"03:04:05", kColumnKindTime, "'03:04:05'"},
      {"0", kColumnKindInt, "0"},
      {"", kColumnKindInt, ""},
      {"1", kColumnKindBool, "1"},
      {"0.100000000000000006", kColumnKindDouble, "0.100000000000000006"},
      {"18446744073709551615", kColumnKindUInt64, "18446744073709551615"},
      {"it's", kColumnKindNone, "it's"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CColumnValue("x", c.value, c.kind).GetSqlValueText(), c.literal) << c.value << " kind " << c.kind;
  }
  EXPECT_EQ(CColumnValue("x", "it's", kColumnKindString).GetSqlValueText().size(), 7u);
  EXPECT_EQ(CColumnValue("x", "C:\\dir", kColumnKindString).GetSqlValueText().size(), 9u);
}

TEST(ColumnValue, EqualityComparesNameTextAndKindExactly) {
  CColumnValue value("ZavID", "5", kColumnKindInt);
  EXPECT_EQ(value, CColumnValue("ZavID", "5", kColumnKindInt));
  EXPECT_NE(value, CColumnValue("zavid", "5", kColumnKindInt));
  EXPECT_NE(value, CColumnValue("ZavID", "05", kColumnKindInt));
  EXPECT_NE(value, CColumnValue("ZavID", "5", kColumnKindBool));
  EXPECT_EQ(CColumnValue(), CColumnValue("", "", kColumnKindNone));
}

TEST(ColumnValue, ValueTextsFollowTheFormatOfEachKind) {
  EXPECT_EQ(ColumnText(-42), "-42");
  EXPECT_EQ(ColumnText(std::numeric_limits<int>::min()), "-2147483648");
  EXPECT_EQ(ColumnText(uint32_t{4294967295u}), "4294967295");
  EXPECT_EQ(ColumnText(uint64_t{18446744073709551615ull}), "18446744073709551615");
  // "%g" of a float: six significant digits, no trailing zeros.
  EXPECT_EQ(ColumnText(1.5f), "1.5");
  EXPECT_EQ(ColumnText(100.0f), "100");
  EXPECT_EQ(ColumnText(0.1f), "0.1");
  EXPECT_EQ(ColumnText(1234567.0f), "1.23457e+06");
  EXPECT_EQ(ColumnText(0.0001f), "0.0001");
  EXPECT_EQ(ColumnText(0.00001f), "1e-05");
  // "%.18g" of a double.
  EXPECT_EQ(ColumnText(0.1), "0.100000000000000006");
  EXPECT_EQ(ColumnText(12.5), "12.5");
  EXPECT_EQ(ColumnText(-3.0), "-3");
  EXPECT_EQ(ColumnText(1e300), "1.00000000000000005e+300");
}

TEST(ColumnValue, IntTextsReadAsStrtolDoesWithin32Bits) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {nullptr, 0},      {"", 0},           {"12abc", 12},         {"  -7", -7},
      {"+9", 9},         {"abc", 0},        {"2147483647", 2147483647},
      {"2147483648", 2147483647},           {"-2147483649", std::numeric_limits<int>::min()},
      {"99999999999999999999", 2147483647}, {"1.9", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIntColumnText(c.text), c.value) << (c.text ? c.text : "(null)");
}

TEST(ColumnValue, UnsignedTextsReadTheirWholeRange) {
  EXPECT_EQ(ParseUInt64ColumnText(nullptr), 0u);
  EXPECT_EQ(ParseUInt64ColumnText(""), 0u);
  // Above the signed 64-bit range: read exactly, not held at 9223372036854775807.
  EXPECT_EQ(ParseUInt64ColumnText("9223372036854775808"), 9223372036854775808ull);
  EXPECT_EQ(ParseUInt64ColumnText("18446744073709551615"), 18446744073709551615ull);
  EXPECT_EQ(ParseUInt64ColumnText("18446744073709551616"), 18446744073709551615ull);  // past the range: held
  EXPECT_EQ(ParseUInt64ColumnText("-1"), 18446744073709551615ull);                   // a minus wraps
  EXPECT_EQ(ParseUInt64ColumnText("42x"), 42u);
  EXPECT_EQ(ParseUInt32ColumnText("4294967295"), 4294967295u);
  EXPECT_EQ(ParseUInt32ColumnText("4294967296"), 0u);  // low 32 bits
  EXPECT_EQ(ParseUInt32ColumnText("-1"), 4294967295u);
  EXPECT_EQ(ParseUInt32ColumnText(""), 0u);
}

TEST(ColumnValue, FractionTextsReadAsAtofDoes) {
  EXPECT_DOUBLE_EQ(ParseDoubleColumnText("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ParseDoubleColumnText(" -0.25e2xyz"), -25.0);
  EXPECT_EQ(ParseDoubleColumnText("0.100000000000000006"), 0.1);
  EXPECT_EQ(ParseDoubleColumnText("abc"), 0.0);
  EXPECT_EQ(ParseDoubleColumnText(""), 0.0);
  EXPECT_EQ(ParseDoubleColumnText(nullptr), 0.0);
  EXPECT_FLOAT_EQ(ParseFloatColumnText("2.5"), 2.5f);
  EXPECT_EQ(ParseFloatColumnText("x1"), 0.0f);
  EXPECT_TRUE(std::isinf(ParseFloatColumnText("1e300")));  // beyond the float range
}

TEST(RelationInfo, KeepsTableColumnAndModeAndNoReservedValue) {
  CRelationInfo relation("TBL_Camera", "zav_no", 7, kRelationModeSetZero);
  EXPECT_EQ(relation.GetRelatedTable(), "TBL_Camera");
  EXPECT_EQ(relation.GetRelationColumn(), "zav_no");
  EXPECT_EQ(relation.GetReserved(), 0);
  EXPECT_EQ(relation.GetMode(), kRelationModeSetZero);
}

}  // namespace
