#include "foundation/JsonTree.h"

#include <string.h>

#include <algorithm>
#include <charconv>
#include <sstream>

#include "foundation/StringUtil.h"

namespace {

enum class TokenType {
  kEndOfStream,
  kObjectBegin,
  kObjectEnd,
  kArrayBegin,
  kArrayEnd,
  kString,
  kNumber,
  kTrue,
  kFalse,
  kNull,
  kArraySeparator,
  kMemberSeparator,
  kComment,
  kError,
};

struct Token {
  TokenType type = TokenType::kError;
  const char* start = nullptr;
  const char* end = nullptr;
  bool escaped = false;  // a string token holding a backslash
};

// Values nest at most this deep (the root at depth 0).
constexpr size_t kDepthLimit = 1000;
// A member name must be shorter.
constexpr size_t kNameLimit = size_t{1} << 30;

// The text of `value` in decimal after a '-' when negative and not zero.
size_t IntegerText(uint64_t value, bool negative, char* buffer, size_t size) {
  char* p = buffer;
  if (negative && value != 0) *p++ = '-';
  return static_cast<size_t>(std::to_chars(p, buffer + size, value).ptr - buffer);
}

}  // namespace

// One read of a text into a document: a recursive descent that keeps the
// tokens and the order of checks of the reader the document replaces, so
// that the same texts pass and fail with the same messages. It stops at the
// first error.
class CJsonTreeReader {
 public:
  CJsonTreeReader(CJsonTree* doc, std::string_view text)
      : doc_(doc), begin_(text.data()), end_(text.data() + text.size()), current_(begin_) {
    if (text.size() >= 3 && memcmp(begin_, "\xEF\xBB\xBF", 3) == 0) begin_ = current_ = begin_ + 3;
  }

  bool Run(std::string* error) {
    bool ok = ReadValue(0, 0, 0);
    if (!ok) *error = std::move(error_);
    return ok;
  }

 private:
  using Item = CJsonTree::Item;
  using Kind = CJsonTree::Kind;

  char NextChar() { return current_ == end_ ? '\0' : *current_++; }

  void SkipSpaces() {
    while (current_ != end_ && (*current_ == ' ' || *current_ == '\t' || *current_ == '\r' || *current_ == '\n')) {
      ++current_;
    }
  }

  bool Match(const char* pattern, size_t length) {
    if (static_cast<size_t>(end_ - current_) < length || memcmp(current_, pattern, length) != 0) return false;
    current_ += length;
    return true;
  }

  // After "/*": up to and with "*/". A '/' as the last byte closes it too.
  bool ReadBlockComment() {
    while (current_ + 1 < end_) {
      char c = NextChar();
      if (c == '*' && *current_ == '/') break;
    }
    return NextChar() == '/';
  }

  void ReadLineComment() {
    while (current_ != end_) {
      char c = NextChar();
      if (c == '\n') break;
      if (c == '\r') {
        if (current_ != end_ && *current_ == '\n') ++current_;
        break;
      }
    }
  }

  // After '/'.
  bool ReadComment() {
    char c = NextChar();
    if (c == '*') return ReadBlockComment();
    if (c == '/') {
      ReadLineComment();
      return true;
    }
    return false;
  }

  // A number's bytes: digits, then '.' and digits, then 'e', a sign and digits.
  // False (after one byte) for an 'I' where a sign began it.
  bool ReadNumber(bool sign) {
    const char* p = current_;
    if (sign && p != end_ && *p == 'I') {
      current_ = ++p;
      return false;
    }
    auto next = [&] { return (current_ = p) < end_ ? *p++ : '\0'; };
    char c = '0';
    while (c >= '0' && c <= '9') c = next();
    if (c == '.') {
      c = next();
      while (c >= '0' && c <= '9') c = next();
    }
    if (c == 'e' || c == 'E') {
      c = next();
      if (c == '+' || c == '-') c = next();
      while (c >= '0' && c <= '9') c = next();
    }
    return true;
  }

  // After the opening quote: up to and with the closing one, a backslash
  // taking the next byte along. False when the text ends first.
  bool ReadString(Token* token) {
    const char* quote = static_cast<const char*>(memchr(current_, '"', static_cast<size_t>(end_ - current_)));
    const char* stop = quote ? quote : end_;
    const char* backslash = static_cast<const char*>(memchr(current_, '\\', static_cast<size_t>(stop - current_)));
    if (!backslash) {
      current_ = quote ? quote + 1 : end_;
      return quote != nullptr;
    }
    token->escaped = true;
    current_ = backslash;
    char c = '\0';
    while (current_ != end_) {
      c = NextChar();
      if (c == '\\') {
        NextChar();
      } else if (c == '"') {
        break;
      }
    }
    return c == '"';
  }

  void ReadToken(Token* token) {
    SkipSpaces();
    token->start = current_;
    token->escaped = false;
    char c = NextChar();
    bool ok = true;
    switch (c) {
      case '{': token->type = TokenType::kObjectBegin; break;
      case '}': token->type = TokenType::kObjectEnd; break;
      case '[': token->type = TokenType::kArrayBegin; break;
      case ']': token->type = TokenType::kArrayEnd; break;
      case '"':
        token->type = TokenType::kString;
        ok = ReadString(token);
        break;
      case '/':
        token->type = TokenType::kComment;
        ok = ReadComment();
        break;
      case '0': case '1': case '2': case '3': case '4':
      case '5': case '6': case '7': case '8': case '9':
        token->type = TokenType::kNumber;
        ReadNumber(false);
        break;
      case '-':
      case '+':
        token->type = TokenType::kNumber;
        ok = ReadNumber(true);  // "-I" would be an infinity, which is not accepted
        break;
      case 't':
        token->type = TokenType::kTrue;
        ok = Match("rue", 3);
        break;
      case 'f':
        token->type = TokenType::kFalse;
        ok = Match("alse", 4);
        break;
      case 'n':
        token->type = TokenType::kNull;
        ok = Match("ull", 3);
        break;
      case ',': token->type = TokenType::kArraySeparator; break;
      case ':': token->type = TokenType::kMemberSeparator; break;
      case '\0': token->type = TokenType::kEndOfStream; break;  // the end, or a zero byte
      default: ok = false; break;
    }
    if (!ok) token->type = TokenType::kError;
    token->end = current_;
  }

  void SkipCommentTokens(Token* token) {
    do {
      ReadToken(token);
    } while (token->type == TokenType::kComment);
  }

  // "Line L, Column C" of a position, both counted from 1; "\r\n", "\r" and
  // "\n" end a line.
  std::string Position(const char* location) const {
    const char* current = begin_;
    const char* lineStart = current;
    int line = 0;
    while (current < location && current != end_) {
      char c = *current++;
      if (c == '\r') {
        if (current != end_ && *current == '\n') ++current;
        lineStart = current;
        ++line;
      } else if (c == '\n') {
        lineStart = current;
        ++line;
      }
    }
    return "Line " + std::to_string(line + 1) + ", Column " + std::to_string(location - lineStart + 1);
  }

  bool AddError(const std::string& message, const Token& token, const char* extra = nullptr) {
    error_ = "* " + Position(token.start) + "\n  " + message + "\n";
    if (extra) error_ += "See " + Position(extra) + " for detail.\n";
    return false;
  }

  // An error that ends the read at once, its text as it stands.
  bool Abort(const char* message) {
    error_ = message;
    return false;
  }

  // Four hexadecimal digits at `current`.
  bool DecodeHex4(const Token& token, const char*& current, const char* end, unsigned* code) {
    if (end - current < 4) {
      return AddError("Bad unicode escape sequence in string: four digits expected.", token, current);
    }
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexDigitValue(*current++);
      if (digit < 0) {
        return AddError("Bad unicode escape sequence in string: hexadecimal digit expected.", token, current);
      }
      value = value * 16 + static_cast<unsigned>(digit);
    }
    *code = value;
    return true;
  }

  // After "\u": the code point; a high surrogate takes the next "\uXXXX" as
  // its second half, whatever that is.
  bool DecodeCodePoint(const Token& token, const char*& current, const char* end, unsigned* code) {
    if (!DecodeHex4(token, current, end, code)) return false;
    if (*code < 0xD800 || *code > 0xDBFF) return true;
    if (end - current < 6) {
      return AddError("additional six characters expected to parse unicode surrogate pair.", token, current);
    }
    if (!(*current++ == '\\' && *current++ == 'u')) {
      return AddError("expecting another \\u token to begin the second half of a unicode surrogate pair", token,
                      current);
    }
    unsigned second = 0;
    if (!DecodeHex4(token, current, end, &second)) return false;
    *code = 0x10000 + ((*code & 0x3FF) << 10) + (second & 0x3FF);
    return true;
  }

  static void AppendUtf8(std::string* out, unsigned code) {
    if (code <= 0x7F) {
      out->push_back(static_cast<char>(code));
    } else if (code <= 0x7FF) {
      out->push_back(static_cast<char>(0xC0 | (code >> 6)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code <= 0xFFFF) {
      out->push_back(static_cast<char>(0xE0 | (code >> 12)));
      out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code <= 0x10FFFF) {
      out->push_back(static_cast<char>(0xF0 | (code >> 18)));
      out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  // The string token's text: the input itself when it holds no escape, else
  // decoded into the arena.
  bool DecodeString(const Token& token, uint64_t* where, size_t* length) {
    const char* current = token.start + 1;
    const char* end = token.end - 1;
    if (!token.escaped) {
      *where = static_cast<uint64_t>(current - InputBegin());
      *length = static_cast<size_t>(end - current);
      return true;
    }
    std::string& arena = doc_->arena_;
    const size_t start = arena.size();
    while (current != end) {
      const char* plain = current;
      while (current != end && *current != '\\' && *current != '"') ++current;
      arena.append(plain, static_cast<size_t>(current - plain));
      if (current == end || *current == '"') break;
      ++current;  // the backslash
      if (current == end) return AddError("Empty escape sequence in string", token, current);
      char escape = *current++;
      switch (escape) {
        case '"': arena.push_back('"'); break;
        case '/': arena.push_back('/'); break;
        case '\\': arena.push_back('\\'); break;
        case 'b': arena.push_back('\b'); break;
        case 'f': arena.push_back('\f'); break;
        case 'n': arena.push_back('\n'); break;
        case 'r': arena.push_back('\r'); break;
        case 't': arena.push_back('\t'); break;
        case 'u': {
          unsigned code = 0;
          if (!DecodeCodePoint(token, current, end, &code)) return false;
          AppendUtf8(&arena, code);
          break;
        }
        default:
          return AddError("Bad escape sequence in string", token, current);
      }
    }
    *where = start | CJsonTree::kInArena;
    *length = arena.size() - start;
    return true;
  }

  // A real number's text, or an error when the stream reader of the C++
  // library refuses the token.
  bool DecodeReal(const Token& token, Item* item) {
    double value = 0;
    auto parsed = std::from_chars(token.start, token.end, value);
    if (parsed.ec != std::errc() || parsed.ptr != token.end) {
      // Forms the plain conversion does not take ("+1", out of range): as the
      // stream reader reads them.
      std::istringstream stream(std::string(token.start, token.end));
      value = 0;
      if (!(stream >> value)) {
        return AddError("'" + std::string(token.start, token.end) + "' is not a number.", token);
      }
    }
    SetArenaText(item, DoubleToString(value));
    return true;
  }

  void SetArenaText(Item* item, std::string_view text) {
    item->text = doc_->arena_.size() | CJsonTree::kInArena;
    item->textLength = static_cast<uint32_t>(text.size());
    doc_->arena_.append(text);
  }

  // An integer that fits 64 bits (at most 2^63 when negative) keeps its
  // decimal text; anything else is read as a real.
  bool DecodeNumber(const Token& token, Item* item) {
    const char* current = token.start;
    const bool negative = *current == '-';
    if (negative) ++current;
    const uint64_t limit = negative ? uint64_t{1} << 63 : UINT64_MAX;
    const uint64_t threshold = limit / 10;
    const unsigned lastDigit = static_cast<unsigned>(limit % 10);
    uint64_t value = 0;
    while (current < token.end) {
      char c = *current++;
      if (c < '0' || c > '9') return DecodeReal(token, item);
      unsigned digit = static_cast<unsigned>(c - '0');
      if (value >= threshold && (value > threshold || current != token.end || digit > lastDigit)) {
        return DecodeReal(token, item);
      }
      value = value * 10 + digit;
    }
    char buffer[24];
    size_t length = IntegerText(value, negative, buffer, sizeof(buffer));
    if (length == static_cast<size_t>(token.end - token.start) && memcmp(buffer, token.start, length) == 0) {
      item->text = static_cast<uint64_t>(token.start - InputBegin());
      item->textLength = static_cast<uint32_t>(length);
    } else {
      SetArenaText(item, std::string_view(buffer, length));
    }
    return true;
  }

  // One value at `depth`, named (a member) or not; appends it and its members.
  bool ReadValue(size_t depth, uint64_t name, size_t nameLength) {
    if (depth >= kDepthLimit) return Abort("Exceeded stackLimit in readValue().");
    if (doc_->items_.size() >= UINT32_MAX) return Abort("too many values");
    Token token;
    SkipCommentTokens(&token);
    const uint32_t index = static_cast<uint32_t>(doc_->items_.size());
    Item& item = doc_->items_.emplace_back();
    item.name = name;
    item.nameLength = static_cast<uint32_t>(nameLength);
    bool ok = true;
    switch (token.type) {
      case TokenType::kObjectBegin:
        item.kind = Kind::kObject;
        ok = ReadObject(depth);
        break;
      case TokenType::kArrayBegin:
        item.kind = Kind::kArray;
        ok = ReadArray(depth);
        break;
      case TokenType::kNumber:
        item.kind = Kind::kNumber;
        ok = DecodeNumber(token, &item);
        break;
      case TokenType::kString: {
        item.kind = Kind::kString;
        uint64_t where = 0;
        size_t length = 0;
        ok = DecodeString(token, &where, &length);
        doc_->items_[index].text = where;
        doc_->items_[index].textLength = static_cast<uint32_t>(length);
        break;
      }
      case TokenType::kTrue:
      case TokenType::kFalse:
        item.kind = Kind::kBool;
        item.text = (token.type == TokenType::kTrue ? 0 : 1) | CJsonTree::kInArena;  // the arena opens "10"
        item.textLength = 1;
        break;
      case TokenType::kNull:
        break;
      default:
        return AddError("Syntax error: value, object or array expected.", token);
    }
    doc_->items_[index].end = static_cast<uint32_t>(doc_->items_.size());
    return ok;
  }

  bool ReadObject(size_t depth) {
    Token name_token;
    for (;;) {
      do {
        ReadToken(&name_token);
      } while (name_token.type == TokenType::kComment);
      if (name_token.type == TokenType::kObjectEnd) return true;  // also after a trailing comma
      if (name_token.type != TokenType::kString) break;
      uint64_t name = 0;
      size_t nameLength = 0;
      if (!DecodeString(name_token, &name, &nameLength)) return false;
      if (nameLength >= kNameLimit) return Abort("keylength >= 2^30");
      Token colon;
      ReadToken(&colon);
      if (colon.type != TokenType::kMemberSeparator) {
        return AddError("Missing ':' after object member name", colon);
      }
      if (!ReadValue(depth + 1, name, nameLength)) return false;
      Token comma;
      ReadToken(&comma);
      if (comma.type != TokenType::kObjectEnd && comma.type != TokenType::kArraySeparator &&
          comma.type != TokenType::kComment) {
        return AddError("Missing ',' or '}' in object declaration", comma);
      }
      // After comments any token but the closing brace counts as the comma.
      while (comma.type == TokenType::kComment) ReadToken(&comma);
      if (comma.type == TokenType::kObjectEnd) return true;
    }
    return AddError("Missing '}' or object member name", name_token);
  }

  bool ReadArray(size_t depth) {
    for (;;) {
      SkipSpaces();
      if (current_ != end_ && *current_ == ']') {  // empty, or after a trailing comma
        ++current_;
        return true;
      }
      if (!ReadValue(depth + 1, 0, 0)) return false;
      Token token;
      do {
        ReadToken(&token);
      } while (token.type == TokenType::kComment);
      if (token.type != TokenType::kArraySeparator && token.type != TokenType::kArrayEnd) {
        return AddError("Missing ',' or ']' in array declaration", token);
      }
      if (token.type == TokenType::kArrayEnd) return true;
    }
  }

  const char* InputBegin() const { return doc_->input_.data(); }

  CJsonTree* doc_;
  const char* begin_;  // after a byte-order mark
  const char* end_;
  const char* current_;
  std::string error_;
};

bool CJsonTree::Parse(std::string_view text, std::string* error) {
  input_ = text;
  items_.clear();
  arena_.assign("10");
  CJsonTreeReader parse(this, text);
  if (parse.Run(error)) return true;
  items_.clear();
  arena_.clear();
  return false;
}

namespace {

// A member's sort key: eight bytes of its name from some offset, as a number
// that orders as the bytes do (bytes past the name as zeros).
struct SortKey {
  uint64_t chunk;
  uint32_t index;
  uint32_t length;
};

uint64_t Chunk(std::string_view name, size_t offset) {
  unsigned char bytes[8] = {};
  if (offset < name.size()) memcpy(bytes, name.data() + offset, std::min<size_t>(name.size() - offset, 8));
  uint64_t value = 0;
  for (unsigned char b : bytes) value = value << 8 | b;
  return value;
}

// Sorts keys by chunk, keeping the order of equal ones: one counting pass per
// byte of the chunk that differs among them.
void RadixSort(SortKey* keys, size_t count, SortKey* scratch) {
  size_t counts[8][256] = {};
  for (size_t k = 0; k < count; ++k) {
    for (int d = 0; d < 8; ++d) ++counts[d][(keys[k].chunk >> (8 * d)) & 0xFF];
  }
  SortKey* from = keys;
  SortKey* to = scratch;
  for (int d = 0; d < 8; ++d) {
    if (counts[d][(keys[0].chunk >> (8 * d)) & 0xFF] == count) continue;  // the same byte in every key
    size_t offsets[256];
    size_t sum = 0;
    for (int b = 0; b < 256; ++b) {
      offsets[b] = sum;
      sum += counts[d][b];
    }
    for (size_t k = 0; k < count; ++k) to[offsets[(from[k].chunk >> (8 * d)) & 0xFF]++] = from[k];
    std::swap(from, to);
  }
  if (from != keys) std::copy(from, from + count, keys);
}

}  // namespace

void CJsonTree::GetMembers(uint32_t i, std::vector<uint32_t>* out) const {
  out->clear();
  const Item& item = items_[i];
  if (item.kind != Kind::kArray && item.kind != Kind::kObject) return;
  bool ascending = true;
  for (uint32_t j = i + 1; j < item.end; j = items_[j].end) {
    if (item.kind == Kind::kObject && !out->empty() && !(GetName(out->back()) < GetName(j))) ascending = false;
    out->push_back(j);
  }
  if (ascending) return;

  // Sorted by name, equal names in document order, then the last of each:
  // ranges of keys that agree on their first `offset` bytes are sorted by
  // the next eight, so that the work stays linear in the bytes of the names.
  std::vector<SortKey> keys;
  keys.reserve(out->size());
  for (uint32_t j : *out) keys.push_back({0, j, items_[j].nameLength});
  std::vector<SortKey> scratch(keys.size());
  struct Range {
    size_t begin;
    size_t count;
    size_t offset;
  };
  std::vector<Range> ranges{{0, keys.size(), 0}};
  auto by_name = [this](const SortKey& a, const SortKey& b) {
    int order = GetName(a.index).compare(GetName(b.index));
    return order != 0 ? order < 0 : a.index < b.index;
  };
  while (!ranges.empty()) {
    Range range = ranges.back();
    ranges.pop_back();
    SortKey* begin = keys.data() + range.begin;
    if (range.count <= 32) {
      std::sort(begin, begin + range.count, by_name);
      continue;
    }
    for (size_t k = 0; k < range.count; ++k) begin[k].chunk = Chunk(GetName(begin[k].index), range.offset);
    RadixSort(begin, range.count, scratch.data());
    // Within equal chunks the names that end inside it differ only in length
    // and come first; the longer ones go on by the next eight bytes.
    const size_t next = range.offset + 8;
    for (size_t a = 0, b; a < range.count; a = b) {
      for (b = a + 1; b < range.count && begin[b].chunk == begin[a].chunk; ++b) {
      }
      if (b - a < 2) continue;
      SortKey* run = begin + a;
      SortKey* longer = std::stable_partition(run, begin + b, [&](const SortKey& k) { return k.length <= next; });
      std::stable_sort(run, longer, [](const SortKey& x, const SortKey& y) { return x.length < y.length; });
      if (begin + b - longer > 1) {
        ranges.push_back({static_cast<size_t>(longer - keys.data()), static_cast<size_t>(begin + b - longer), next});
      }
    }
  }
  out->clear();
  for (size_t k = 0; k < keys.size(); ++k) {
    bool lastOfName = k + 1 == keys.size() || keys[k + 1].length != keys[k].length ||
                      GetName(keys[k + 1].index) != GetName(keys[k].index);
    if (lastOfName) out->push_back(keys[k].index);
  }
}
