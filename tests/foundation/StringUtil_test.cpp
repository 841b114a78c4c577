#include "foundation/StringUtil.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <string.h>

#include <string>

#include "foundation/StrList.h"
#include "platform/CodePage.h"

namespace {

std::vector<std::string> SplitItems(const std::string& text, const std::string& separator) {
  CStrList list;
  int count = list.Split(text, separator);
  EXPECT_EQ(count, list.GetCount());
  return list.Items();
}

TEST(StrFormat, MeasuresFirstSoLongResultsAreWhole) {
  std::string big(5000, 'x');
  EXPECT_EQ(StrFormat("[%s]%d", big.c_str(), 7), "[" + big + "]7");
  EXPECT_EQ(StrFormat("%s", ""), "");
}

TEST(NumberTexts, UseFixedFormatsInTheCLocaleWhateverTheProcessLocale) {
  // A locale with a decimal comma must not leak into number texts.
  const char* comma = setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(IntToString(-42), "-42");
  EXPECT_EQ(UIntToString(4294967295u), "4294967295");
  EXPECT_EQ(DoubleToString(1.5), "1.5");
  EXPECT_EQ(DoubleToString(100.0), "100");
  EXPECT_EQ(DoubleToString(0.1), "0.100000000000000006");
  EXPECT_EQ(DoubleToString(1e300), "1.00000000000000005e+300");
  EXPECT_EQ(StrFormat("%.2f", 2.5), "2.50");
  if (comma) setlocale(LC_NUMERIC, "C");
}

TEST(StrList, SplitDropsEmptyPiecesAndKeepsBlanks) {
  struct Case {
    std::string text, separator;
    std::vector<std::string> items;
  } cases[] = {
      {"a,,b,", ",", {"a", "b"}},
      {"", ",", {}},
      {",,,", ",", {}},
      {"x\r\n\r\ny", "\r\n\r\n", {"x", "y"}},
      {"x\r\n\r\ny", "\r\n", {"x", "y"}},
      {" a,b ", ",", {" a", "b "}},
      {"a--b-c", "--", {"a", "b-c"}},  // a long separator matches only whole
      {"a---b", "--", {"a", "-b"}},    // occurrences do not overlap
      {"abc", "", {"abc"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitItems(c.text, c.separator), c.items) << c.text;
}

TEST(StrList, JoinPutsSeparatorOnlyAfterNonEmptyText) {
  struct Case {
    std::vector<std::string> items;
    std::string joined;
  } cases[] = {{{"", "a"}, "a"}, {{"a", "", "b"}, "a,,b"}, {{}, ""}, {{"a", "b"}, "a,b"}};
  for (const Case& c : cases) {
    CStrList list;
    for (const std::string& item : c.items) list.Add(item);
    EXPECT_EQ(list.Join(","), c.joined);
  }
}

TEST(StrList, GetAtOutsideTheListGivesEmptyText) {
  CStrList list;
  EXPECT_EQ(list.GetAt(0), "");
  list.Split("a,b", ",");
  EXPECT_EQ(list.GetAt(1), "b");
  EXPECT_EQ(list.GetAt(2), "");
  EXPECT_EQ(list.GetAt(-1), "");
  EXPECT_EQ(list.Split("c", ","), 1);  // Split replaces the items
  EXPECT_EQ(list.GetAt(0), "c");
}

TEST(XmlEscape, ReplacesTheFiveCharactersOnly) {
  EXPECT_EQ(XmlEscape("plain \x01\xB0\xAA"), "plain \x01\xB0\xAA");
  EXPECT_EQ(XmlEscape("\"&'<>"), "&quot;&amp;&apos;&lt;&gt;");
}

TEST(XmlUnescape, DecodesNamedEntitiesInOnePass) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"&quot;&amp;&apos;&lt;&gt;", "\"&'<>"},
      {"&amp;lt;", "&lt;"},
      {"&AMP;", "&AMP;"},
      {"&#65;", "&#65;"},
      {"a & b", "a & b"},
      {"&&amp;", "&&"},
      {"x;y", "x;y"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlUnescape(c.in), c.out) << c.in;
}

TEST(JsonEscape, EscapesSeparatorsAndEveryControlByte) {
  EXPECT_EQ(JsonEscape("a/b"), "a\\/b");
  EXPECT_EQ(JsonEscape("\"\\\b\t\n\f\r"), "\\\"\\\\\\b\\t\\n\\f\\r");
  // Raw control bytes are invalid JSON: they become \u00XX.
  EXPECT_EQ(JsonEscape(std::string("\x01\x1f\0", 3)), "\\u0001\\u001F\\u0000");
  EXPECT_EQ(JsonEscape("\xB0\xAA"), "\xB0\xAA");
}

TEST(JsonUnescape, InvertsTheEscapesAndKeepsUnknownSequences) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a\\/b", "a/b"},
      {"a/b\"", "a/b\""},
      {"\\b\\f\\n\\r\\t", "\b\f\n\r\t"},
      {"btn", "btn"},
      {"end\\", "end\\"},
      {"\\\\n", "\\n"},
      {"\\u00e9", "\\u00e9"},  // a character beyond the control bytes stays six characters
      {"\\u001F\\u0000", std::string("\x1f\0", 2)},
      {"\\x", "\\x"},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonUnescape(c.in), c.out) << c.in;
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(JsonUnescape(JsonEscape(all)), all);
}

TEST(CodePageTexts, ConvertThroughTheLegacyCodePage) {
  ASSERT_EQ(platform::LegacyCodePage(), "CP949");
  const std::string hanUtf8 = "\xED\x95\x9C\xEA\xB8\x80";  // two Korean syllables
  const std::string hanAnsi = "\xC7\xD1\xB1\xDB";
  EXPECT_EQ(Utf8ToAnsi(hanUtf8), hanAnsi);
  EXPECT_EQ(AnsiToUtf8(hanAnsi), hanUtf8);
  EXPECT_EQ(Utf8ToAnsi(""), "");
  EXPECT_EQ(AnsiToUtf8(""), "");
  EXPECT_EQ(Utf8ToAnsi("a\xE2\x82\xACz"), "a\xA2\xE6z");  // the euro sign exists in CP949
  EXPECT_EQ(Utf8ToAnsi("a\xF0\x9F\x98\x80z"), "a?z");      // an emoji does not
  EXPECT_EQ(Utf8ToAnsi(std::string("ab\0cd", 5)), "ab");   // ends at the first zero byte
}

TEST(CaseFolding, LeavesTrailBytesOfDoubleByteCharactersAlone) {
  // 0x81 0x41 and 0x8C 0x63 are Korean syllables whose trail bytes are 'A' and 'c'.
  const std::string mixed = "Ab\x81\x41Z\x8C\x63q";
  EXPECT_EQ(StrToLower(mixed), "ab\x81\x41z\x8C\x63q");
  EXPECT_EQ(StrToUpper(mixed), "AB\x81\x41Z\x8C\x63Q");
  EXPECT_TRUE(StrEqualNoCase("CAMERA\x81\x41", "camera\x81\x41"));
  EXPECT_FALSE(StrEqualNoCase("\x81\x41", "\x81\x61"));  // two different syllables
  EXPECT_NE(StrCompareNoCase("\x8C\x63", "\x8C\x43"), 0);
  EXPECT_LT(StrCompareNoCase("abc", "ABD"), 0);
  EXPECT_GT(StrCompareNoCase("abc", "AB"), 0);
  EXPECT_TRUE(StrStartsWithNoCase("Settings$Key", "SETTINGS"));
}

TEST(Trim, RemovesBlanksAtTheEnds) {
  EXPECT_EQ(StrTrim(" \t a b \r\n"), "a b");
  EXPECT_EQ(StrTrimLeft("  a "), "a ");
  EXPECT_EQ(StrTrimRight("  a "), "  a");
  EXPECT_EQ(StrTrim("   "), "");
}

TEST(StringUtilTest, WideToMultiByteConvertsWholeTextsOrNothing) {
  char buffer[16] = "untouched";
  const char16_t hangul[] = u"a\uD55C\uAE00";  // "a한글"
  EXPECT_EQ(WideToMultiByte(nullptr, hangul, 16, 949), nullptr);
  EXPECT_EQ(WideToMultiByte(buffer, nullptr, 16, 949), nullptr);
  EXPECT_STREQ(buffer, "untouched");

  struct Case {
    const char16_t* wide;
    int size;
    unsigned code_page;
    const char* expected;  // null: the call fails
  } cases[] = {
      {hangul, 16, 949, "a\xC7\xD1\xB1\xDB"},
      {hangul, 16, 0, "a\xC7\xD1\xB1\xDB"},  // the legacy code page
      {hangul, 16, 65001, "a\xED\x95\x9C\xEA\xB8\x80"},
      {hangul, 6, 949, "a\xC7\xD1\xB1\xDB"},  // exactly fits with its terminator
      {hangul, 5, 949, nullptr},               // one byte short
      {u"", 1, 949, ""},
      {u"x\u263Ay", 16, 949, "x?y"},           // no CP949 form
      {u"x\xD800y", 16, 65001, "x\xEF\xBF\xBDy"},  // an unpaired surrogate
      {u"abc", 16, 99999, nullptr},            // no such code page
  };
  for (const Case& c : cases) {
    char out[16];
    memset(out, 'z', sizeof(out));
    char* result = WideToMultiByte(out, c.wide, c.size, c.code_page);
    if (c.expected) {
      EXPECT_EQ(result, out);
      EXPECT_STREQ(out, c.expected);
    } else {
      EXPECT_EQ(result, nullptr);
      EXPECT_EQ(out[0], '\0');
    }
  }
}

}  // namespace
