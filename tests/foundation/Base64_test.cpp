#include "foundation/Base64.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

namespace {

// RFC 4648 section 10.
const std::pair<const char*, const char*> kRfcVectors[] = {
    {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64Test, EncodesAndDecodesTheRfcVectors) {
  for (const auto& [plain, coded] : kRfcVectors) {
    SCOPED_TRACE(plain);
    EXPECT_EQ(Base64EncodeToString(plain, strlen(plain)), coded);
    std::string out = "untouched";
    EXPECT_EQ(Base64Decode(coded, &out), static_cast<long>(strlen(plain)));
    EXPECT_EQ(out, plain);
  }
}

TEST(Base64Test, EveryByteValueRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  for (size_t n = 0; n <= bytes.size(); n += 37) {
    std::string coded;
    EXPECT_EQ(Base64Encode(bytes.data(), n, &coded), (n + 2) / 3 * 4);
    std::string back;
    ASSERT_EQ(Base64Decode(coded, &back), static_cast<long>(n));
    EXPECT_EQ(back, bytes.substr(0, n));
  }
}

TEST(Base64Test, EncodeVariants) {
  std::string text = "stale";
  Base64EncodeInto("abc", 0, &text);
  EXPECT_EQ(text, "");
  text = "stale";
  Base64EncodeInto("abc", -5, &text);
  EXPECT_EQ(text, "");
  Base64EncodeInto("abc", 3, &text);
  EXPECT_EQ(text, "YWJj");
  // The text form stops at the first zero byte.
  EXPECT_EQ(Base64EncodeText(std::string("ab\0cd", 5)), "YWI=");
  EXPECT_EQ(Base64EncodeText("user:password"), "dXNlcjpwYXNzd29yZA==");
}

struct DecodeCase {
  std::string text;
  long count;            // -1: rejected
  std::string expected;  // the bytes when accepted
};

TEST(Base64Test, DecodingIsStrict) {
  const DecodeCase cases[] = {
      {"", 0, ""},
      {"Zm9v\r\nYmFy", -1, ""},      // line break
      {"Zm9v YmFy", -1, ""},         // blank
      {"Zm9vY", -1, ""},             // ends inside a group
      {"Zm9vYm", -1, ""},
      {"Zm9vYmF", -1, ""},
      {"Zm9", -1, ""},
      {"Zm9v!A==", -1, ""},          // outside the alphabet
      {std::string("Zm\0v", 4), -1, ""},
      {"Zm9v\xff\xff==", -1, ""},
      {"Zg==xyz", 1, "f"},           // a padded group ends the text; the rest is not looked at
      {"Zg==!!!!", 1, "f"},
      {"Zm8=Zm9v", 2, "fo"},
      {"Zm=v", 1, "f"},              // "=" third: one byte
      {"Zm9vZm9v====", 7, std::string("foofoo\0", 7)},  // "=" decodes as 0
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out = "untouched";
    long count = Base64Decode(c.text, &out);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(out, c.count < 0 ? "untouched" : c.expected);
  }
}

}  // namespace
