#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

// "한글" in UTF-8 and in CP949.
const std::string kHangulUtf8 = "\xED\x95\x9C\xEA\xB8\x80";
const std::string kHangulCp949 = "\xC7\xD1\xB1\xDB";

struct ConvertCase {
  const char* name;
  std::string text, from, to, expected;
};

TEST(CodePage, ConvertsAndMarksWhatCannotBeConverted) {
  const ConvertCase cases[] = {
      {"utf8 to cp949", kHangulUtf8, "UTF-8", "CP949", kHangulCp949},
      {"cp949 to utf8", kHangulCp949, "CP949", "UTF-8", kHangulUtf8},
      {"ascii unchanged", "abc 123", "UTF-8", "CP949", "abc 123"},
      {"empty", "", "UTF-8", "CP949", ""},
      // U+263A has no CP949 form.
      {"unmappable", "a\xE2\x98\xBA" "b", "UTF-8", "CP949", "a?b"},
      {"invalid utf8", "a\xFF" "b", "UTF-8", "CP949", "a?b"},
      {"truncated utf8", "ab\xED\x95", "UTF-8", "CP949", "ab?"},
      // glibc takes the unassigned pair A2 E8 whole and reports it only then.
      {"unreadable cp949 at the end", "\xFF\x01\xA2\xE8", "CP949", "UTF-8", "?\x01?"},
      {"unknown code page", "abc", "UTF-8", "NO-SUCH-CODEPAGE", ""},
      // A lead byte without its trail byte (a text cut mid-character) gives
      // one '?'; the ASCII byte after it is kept (it was swallowed before).
      {"lead byte before ascii", "<a>\xC7</a><b>1</b>", "CP949", "UTF-8", "<a>?</a><b>1</b>"},
      {"lead byte before a control", "x\xB1\x09y", "CP949", "UTF-8", "x?\x09y"},
      {"lead byte before no trail byte", "\xC7\xFF" "a", "CP949", "UTF-8", "??a"},
  };
  for (const ConvertCase& c : cases) {
    EXPECT_EQ(platform::ConvertCodePage(c.text, c.from, c.to), c.expected) << c.name;
  }
}

TEST(CodePage, LegacyCodePageDefaultsToCp949AndCanSwitch) {
  EXPECT_EQ(platform::LegacyCodePage(), "CP949");
  EXPECT_TRUE(platform::IsLeadByte(0xC7));
  EXPECT_FALSE(platform::IsLeadByte('A'));
  EXPECT_FALSE(platform::SetLegacyCodePage("NO-SUCH-CODEPAGE"));
  EXPECT_EQ(platform::LegacyCodePage(), "CP949");
  ASSERT_TRUE(platform::SetLegacyCodePage("UTF-8"));
  EXPECT_FALSE(platform::IsLeadByte(0xC7));
  ASSERT_TRUE(platform::SetLegacyCodePage("CP949"));
}

}  // namespace
