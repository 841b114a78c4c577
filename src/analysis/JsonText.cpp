#include "analysis/JsonText.h"

#include <rapidjson/reader.h>

// This file holds the only instantiation of the parser. RapidJSON 1.1 adds an
// offset to the null pointer of its lazily allocated parse stacks on their
// first push (benign, fixed upstream after that release); the CMake file turns
// the pointer-overflow check off for this file alone so that the sanitizer
// builds still check every other line of the readers.

namespace {

using rapidjson::SizeType;
using rapidjson::Document;

// Hands the parser's events to the document and stops the parse at the first
// array or object nested deeper than kMaxDepth, which keeps the recursive
// parser's use of the stack bounded.
class DepthLimitedBuilder {
 public:
  static constexpr int kMaxDepth = CJsonDocument::kMaxDepth;

  explicit DepthLimitedBuilder(Document& document) : document_(document) {}

  bool Null() { return document_.Null(); }
  bool Bool(bool value) { return document_.Bool(value); }
  bool Int(int value) { return document_.Int(value); }
  bool Uint(unsigned value) { return document_.Uint(value); }
  bool Int64(int64_t value) { return document_.Int64(value); }
  bool Uint64(uint64_t value) { return document_.Uint64(value); }
  bool Double(double value) { return document_.Double(value); }
  bool RawNumber(const char* text, SizeType length, bool copy) { return document_.RawNumber(text, length, copy); }
  bool String(const char* text, SizeType length, bool copy) { return document_.String(text, length, copy); }
  bool Key(const char* text, SizeType length, bool copy) { return document_.Key(text, length, copy); }
  bool StartObject() { return ++depth_ <= kMaxDepth && document_.StartObject(); }
  bool EndObject(SizeType count) {
    --depth_;
    return document_.EndObject(count);
  }
  bool StartArray() { return ++depth_ <= kMaxDepth && document_.StartArray(); }
  bool EndArray(SizeType count) {
    --depth_;
    return document_.EndArray(count);
  }

 private:
  Document& document_;
  int depth_ = 0;
};

// Feeds one zero-terminated text to the document (Document::Populate).
struct TextGenerator {
  const char* text;
  bool parsed = false;

  bool operator()(Document& document) {
    rapidjson::Reader reader;
    rapidjson::StringStream stream(text);
    DepthLimitedBuilder builder(document);
    parsed = !reader.Parse(stream, builder).IsError();
    return parsed;
  }
};

}  // namespace

bool CJsonDocument::Parse(const char* text) {
  TextGenerator generator{text};
  document_.Populate(generator);
  return generator.parsed;
}
