// The JSON reader against JsonCpp with its default settings, the reader the
// system used before: every text must pass or fail alike, with the same
// error text, and yield the same values in the same order.
#include "foundation/JsonTree.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>

#include "foundation/StringUtil.h"

namespace {

std::string Quote(std::string_view text) { return "<" + std::string(text) + ">"; }

// The oracle's tree as the JSON serializer read it: members in the tree's
// order, scalars as their text, null, arrays and objects by kind.
void DumpOracle(const Json::Value& value, std::string* out) {
  switch (value.type()) {
    case Json::nullValue: *out += "null"; return;
    case Json::intValue: {
      char buffer[24];
      *out += "#" + std::string(buffer, std::to_chars(buffer, buffer + 24, value.asLargestInt()).ptr);
      return;
    }
    case Json::uintValue: {
      char buffer[24];
      *out += "#" + std::string(buffer, std::to_chars(buffer, buffer + 24, value.asLargestUInt()).ptr);
      return;
    }
    case Json::realValue: *out += "#" + DoubleToString(value.asDouble()); return;
    case Json::booleanValue: *out += value.asBool() ? "b1" : "b0"; return;
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      value.getString(&begin, &end);
      *out += "s" + Quote(std::string_view(begin, static_cast<size_t>(end - begin)));
      return;
    }
    case Json::arrayValue:
    case Json::objectValue:
      *out += value.isArray() ? "[" : "{";
      for (auto it = value.begin(); it != value.end(); ++it) {
        if (value.isObject()) {
          const char* end = nullptr;
          const char* begin = it.memberName(&end);
          *out += Quote(std::string_view(begin, static_cast<size_t>(end - begin))) + ":";
        }
        DumpOracle(*it, out);
        *out += ",";
      }
      *out += value.isArray() ? "]" : "}";
      return;
  }
}

void DumpOwn(const CJsonTree& doc, uint32_t i, bool in_object, std::string* out) {
  if (in_object) *out += Quote(doc.GetName(i)) + ":";
  switch (doc.GetKind(i)) {
    case CJsonTree::Kind::kNull: *out += "null"; return;
    case CJsonTree::Kind::kNumber: *out += "#" + std::string(doc.GetText(i)); return;
    case CJsonTree::Kind::kBool: *out += "b" + std::string(doc.GetText(i)); return;
    case CJsonTree::Kind::kString: *out += "s" + Quote(doc.GetText(i)); return;
    case CJsonTree::Kind::kArray:
    case CJsonTree::Kind::kObject: {
      const bool object = doc.GetKind(i) == CJsonTree::Kind::kObject;
      *out += object ? "{" : "[";
      std::vector<uint32_t> members;
      doc.GetMembers(i, &members);
      for (uint32_t m : members) {
        DumpOwn(doc, m, object, out);
        *out += ",";
      }
      *out += object ? "}" : "]";
      return;
    }
  }
}

struct Outcome {
  bool ok = false;
  std::string text;  // the dump, or the error text
};

Outcome Oracle(std::string_view json) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  Outcome outcome;
  try {
    outcome.ok = reader->parse(json.data(), json.data() + json.size(), &root, &outcome.text);
  } catch (const std::exception& e) {
    outcome.ok = false;
    outcome.text = e.what();
  }
  if (outcome.ok) {
    outcome.text.clear();
    DumpOracle(root, &outcome.text);
  }
  return outcome;
}

Outcome Own(std::string_view json) {
  CJsonTree doc;
  Outcome outcome;
  outcome.ok = doc.Parse(json, &outcome.text);
  if (outcome.ok) {
    outcome.text.clear();
    DumpOwn(doc, CJsonTree::kRoot, false, &outcome.text);
  }
  return outcome;
}

// Empty when both readers agree, else what each said.
std::string Differ(std::string_view json) {
  Outcome oracle = Oracle(json);
  Outcome own = Own(json);
  if (oracle.ok == own.ok && oracle.text == own.text) return "";
  return "text " + Quote(json) + "\n oracle " + std::to_string(oracle.ok) + " " + oracle.text + "\n own    " +
         std::to_string(own.ok) + " " + own.text;
}

std::string Nested(int depth, std::string_view inner) {
  return std::string(static_cast<size_t>(depth), '[') + std::string(inner) + std::string(static_cast<size_t>(depth), ']');
}

TEST(JsonTreeTest, AgreesWithTheOracleOnATableOfTexts) {
  const std::vector<std::string> texts = {
      // structure, trailing commas, separators
      "", " ", "[]", "{}", "[1,]", "{\"a\":1,}", "[,]", "{,}", "[1,,]", "[1 2]", "{\"a\" 1}", "{\"a\":1 \"b\":2}",
      "{\"a\":}", "{1:2}", "{'a':1}", "[", "{", "[1", "{\"a\":1", "]", "}", ":", ",", "[1]]", "{}}", "[1] x",
      "  \r\n\t[\r\n1\r2\n]", "[1\r\n,\r\n,]", "{\"a\":[{\"b\":[{}]}],\"c\":{}}",
      // scalars and roots
      "7", "-7", "true", "false", "null", "tru", "nul", "fals", "\"s\"", "trueX", "nullnull",
      // numbers
      "[+1]", "[-]", "[+]", "[1.]", "[.5]", "[-.5]", "[1e]", "[1e+]", "[1e5]", "[1E-5]", "[1.5e+3]", "[007]",
      "[-0]", "[-0.0]", "[0.1]", "[1e300]", "[1e999]", "[-1e999]", "[1e-400]", "[5e-324]", "[2.2250738585072011e-308]",
      "[9223372036854775807]", "[9223372036854775808]", "[-9223372036854775808]", "[-9223372036854775809]",
      "[18446744073709551615]", "[18446744073709551616]", "[123456789012345678901234567890]", "[-I]", "[+I]",
      "[Infinity]", "[NaN]", "[-Infinity]", "[1.2.3]", "[1e2e3]", "[1-2]", "[0x10]", "[1_000]",
      "[12345678901234567890123456789012345.5]",
      // strings and escapes
      "[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"]", "[\"\\u00e9\\u0041\\u20AC\"]", "[\"\\ud83d\\ude00\"]", "[\"\\ud800\\u0041\"]",
      "[\"\\udc00\"]", "[\"\\ud800\"]", "[\"\\ud800x\"]", "[\"\\ud800\\x0041\"]", "[\"\\ud800\\\\u0041\"]",
      "[\"\\u12\"]", "[\"\\u12G4\"]", "[\"\\q\"]", "[\"\\\"]", "[\"abc", "[\"a\\", "[\"\\u0000x\"]",
      std::string("[\"a\0b\"]", 7), std::string("[1\0]", 4), std::string("\0", 1), "[\"tab\tnl\nraw\"]",
      "[\"\xB0\xA1\xC7\xD1\"]", "{\"\\u0041\":1,\"A\":2}", "{\"\\q\":1}", "{\"a\\u12\":1}",
      // comments, the quote read as a comment
      "/* c */ [1]", "[1 /* c */]", "[1, /* c */ 2]", "[1, /* c */]", "// line\n[1]", "[1 // x\r\n]", "[1 // x\r]",
      "{/*c*/\"a\"/*c*/:1}", "{\"a\"://c\n1}", "{\"a\":1/*c*/}", "{\"a\":1/*c*/\"b\":2}", "{\"a\":1/*c*/,\"b\":2}",
      "[1,/*xx", "[1,/*xx/", "/*/[1]", "/*/", "/", "/x", "[1]/*", "'*x*/[1]", "'//x\n[1]", "'x[1]", "[1,'*c*/2]",
      // byte-order marks
      "\xEF\xBB\xBF[1]", "\xEF\xBB\xBF", "\xEF\xBB[1]", "\xEF\xBB\xBF\xEF\xBB\xBF[1]", "\xEF\xBB\xBF\n[1,,]",
      // duplicate names, order of names
      "{\"b\":1,\"a\":2}", "{\"a\":1,\"a\":2}", "{\"a\":{\"x\":1},\"a\":[2]}", "{\"a\":[2],\"a\":null}",
      "{\"a\":1,\"b\":2,\"a\":3}", "{\"abcdefghij\":1,\"abcdefghi\":2,\"abcdefgh\":3,\"abcdefghij\":4}",
      std::string("{\"a\\u0000\":1,\"a\":2,\"a\\u0000\":3}"), "{\"\xFF\":1,\"\x01\":2,\"\":3,\"\x7F\":4}",
      "{\"m1\":1,\"m10\":1,\"m2\":1,\"m0\":1}",
      // lines and columns of errors
      "[1,\n2,\n\r\n  x]", "[1,\r\r  x]", "{\n\"a\":1,\n\"b\" 2}",
      // nesting at the limit
      Nested(999, ""), Nested(1000, ""), Nested(1001, ""), Nested(999, "1"), Nested(1000, "1"), Nested(1000, "x"),
      std::string(1001, '['), std::string(2000, '{'),
  };
  for (const std::string& text : texts) EXPECT_EQ(Differ(text), "");
}

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  std::filesystem::path corpus = std::filesystem::path(GATE_SOURCE_DIR) / "fuzz" / "corpus" / "fuzz_json";
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  seeds.push_back("{\"a\": [1, -2.5e3, true, null, {\"b\": \"x\\u00e9\\n\"}], \"c\": {}, /* c */ \"d\": +1,}");
  seeds.push_back("\xEF\xBB\xBF[{\"ID\":\"1\",\"Name\":\"\\ud83d\\ude00\"}, // c\r\n {\"id\": 18446744073709551616},]");
  return seeds;
}

// The fuzz corpus, and random edits of it made of bytes that matter to a
// JSON reader: both readers agree on every one.
TEST(JsonTreeTest, AgreesWithTheOracleOnTheCorpusAndItsEdits) {
  const std::vector<std::string> seeds = Seeds();
  ASSERT_GE(seeds.size(), 3u);
  for (const std::string& seed : seeds) ASSERT_EQ(Differ(seed), "");

  const std::string alphabet = "{}[]\":,/*'\\\n\r\t -+.eE0123456789uabcdfnrtlsIN\xEF\xBB\xBF";
  std::mt19937 random(20240131);
  int differences = 0;
  for (int round = 0; round < 20000 && differences < 5; ++round) {
    std::string text = seeds[random() % seeds.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = text.empty() ? 0 : random() % (text.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 4) {
        case 0: text.insert(at, 1, c); break;
        case 1: if (at < text.size()) text.erase(at, 1 + random() % 3); break;
        case 2: if (at < text.size()) text[at] = c; break;
        default: text.insert(at, text.substr(random() % (text.size() + 1), random() % 12)); break;
      }
    }
    std::string difference = Differ(text);
    if (!difference.empty()) {
      ++differences;
      ADD_FAILURE() << difference;
    }
  }
}

// An object of many members, out of order and with repeated names, comes
// out sorted with the last of each name, as the oracle's sorted map does.
TEST(JsonTreeTest, ManyMembersAreSortedAsTheOracleSortsThem) {
  std::string text = "{";
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const int n = static_cast<int>(random() % 5000);
    text += "\"" + std::string(random() % 3 == 0 ? "longcommonprefix_" : "m") + std::to_string(n) + "\":" +
            std::to_string(i) + ",";
  }
  text += "\"z\":{}}";
  EXPECT_EQ(Differ(text), "");

  // Names that differ only in trailing zero bytes or beyond a long common
  // start, each many times over.
  text = "{";
  const std::string zero("\\u0000");
  for (int i = 0; i < 3000; ++i) {
    const int n = static_cast<int>(random() % 6);
    text += "\"a";
    for (int z = 0; z < n; ++z) text += zero;
    if (random() % 2) text += std::string(static_cast<size_t>(random() % 40), 'x') + "y";
    text += "\":" + std::to_string(i) + ",";
  }
  text += "\"a\":\"last\"}";
  EXPECT_EQ(Differ(text), "");
}

}  // namespace
