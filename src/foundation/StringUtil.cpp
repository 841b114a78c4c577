#include "foundation/StringUtil.h"

#include <locale.h>
#include <stdio.h>

#include <algorithm>
#include <charconv>

#include "platform/CodePage.h"

namespace {

// The C locale for number formatting, made once and kept for the process.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

// Switches the calling thread to the C locale for its lifetime.
class ScopedCLocale {
 public:
  ScopedCLocale() : previous_(uselocale(CLocale())) {}
  ~ScopedCLocale() { uselocale(previous_); }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t previous_;
};

bool IsAsciiUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
char FoldLower(unsigned char c) { return static_cast<char>(IsAsciiUpper(c) ? c + 32 : c); }

// Calls `fold` on each byte that is not the trail byte of a double-byte character.
template <typename Fold>
void FoldBytes(std::string* text, Fold fold) {
  for (size_t i = 0; i < text->size(); ++i) {
    unsigned char c = static_cast<unsigned char>((*text)[i]);
    if (platform::IsLeadByte(c) && i + 1 < text->size()) {
      ++i;  // keep the lead byte and its trail byte as they are
      continue;
    }
    (*text)[i] = fold(c);
  }
}

std::string_view UpToZero(std::string_view text) {
  size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void StrAppendFormatV(std::string* out, const char* format, va_list args) {
  ScopedCLocale cLocale;
  char buffer[512];
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(buffer, sizeof(buffer), format, copy);
  va_end(copy);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof(buffer)) {
    out->append(buffer, static_cast<size_t>(n));
    return;
  }
  size_t start = out->size();
  out->resize(start + static_cast<size_t>(n) + 1);
  va_copy(copy, args);
  vsnprintf(&(*out)[start], static_cast<size_t>(n) + 1, format, copy);
  va_end(copy);
  out->resize(start + static_cast<size_t>(n));
}

std::string StrFormatV(const char* format, va_list args) {
  std::string out;
  StrAppendFormatV(&out, format, args);
  return out;
}

std::string StrFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = StrFormatV(format, args);
  va_end(args);
  return out;
}

std::string IntToString(int value) { return std::to_string(value); }

std::string UIntToString(uint32_t value) { return std::to_string(value); }

std::string DoubleToString(double value) {
  // std::to_chars in general form with a precision is printf's "%.18g" in the C locale.
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 18);
  if (result.ec != std::errc()) return StrFormat("%.18g", value);
  return std::string(buffer, result.ptr);
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (char c : text) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string XmlUnescape(std::string_view text) {
  static const struct {
    std::string_view name;
    char c;
  } kEntities[] = {{"amp", '&'}, {"quot", '"'}, {"apos", '\''}, {"lt", '<'}, {"gt", '>'}};
  std::string out;
  out.reserve(text.size());
  std::string entity;
  bool pending = false;
  for (char c : text) {
    if (c == '&') {
      if (pending) out.append("&").append(entity);
      entity.clear();
      pending = true;
    } else if (c == ';' && pending) {
      bool matched = false;
      for (const auto& e : kEntities) {
        if (entity == e.name) {
          out += e.c;
          matched = true;
          break;
        }
      }
      if (!matched) out.append("&").append(entity).append(";");
      pending = false;
    } else if (pending) {
      entity += c;
    } else {
      out += c;
    }
  }
  if (pending) out.append("&").append(entity);
  return out;
}

std::string JsonEscape(std::string_view text, bool escapeSlash) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + 16);
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      case '"': out += "\\\""; break;
      case '/': out += escapeSlash ? "\\/" : "/"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (u < 0x20) {
          // A raw control byte is not valid JSON: write it as \u00XX.
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 0xF];
        } else {
          out += c;
        }
        break;
    }
  }
  return out;
}

namespace {

// The control byte of "\u00XX" (XX below 0x20) at the start of `rest`
// (which begins after the backslash), or -1.
int ControlEscape(std::string_view rest) {
  if (rest.size() < 5 || rest[0] != 'u' || rest[1] != '0' || rest[2] != '0') return -1;
  int high = HexDigitValue(rest[3]);
  int low = HexDigitValue(rest[4]);
  if (high < 0 || low < 0) return -1;
  int value = high * 16 + low;
  return value < 0x20 ? value : -1;
}

}  // namespace

std::string JsonUnescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool escaped = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"' || c == '/') {
      out += c;
      escaped = false;
    } else if (c == '\\') {
      if (escaped) out += '\\';
      escaped = !escaped;
    } else if (escaped) {
      escaped = false;
      switch (c) {
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: {
          int control = ControlEscape(text.substr(i));
          if (control >= 0) {
            out += static_cast<char>(control);
            i += 4;
          } else {
            out += '\\';
            out += c;
          }
          break;
        }
      }
    } else {
      out += c;
    }
  }
  if (escaped) out += '\\';
  return out;
}

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
    return;
  }
  int bits = 0;
  for (uint32_t d = c; d; d >>= 1) ++bits;
  int payload = (bits - 2) / 5;
  out->push_back(static_cast<char>((0xFF << (7 - payload)) | (c >> (6 * payload))));
  while (payload) {
    --payload;
    out->push_back(static_cast<char>(0x80 | ((c >> (6 * payload)) & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 3 / 2);
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
      uint32_t low = units[i + 1];
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    AppendUtf8(c, &out);
  }
  return out;
}

char* WideToMultiByte(char* buffer, const char16_t* wide, int size, unsigned code_page) {
  if (!buffer || !wide) return nullptr;
  if (size > 0) buffer[0] = '\0';
  std::u16string_view units(wide);
  std::string utf8 = Utf16ToUtf8(units);
  std::string target = code_page == 0 || code_page == 3 ? platform::LegacyCodePage()
                       : code_page == 65001          ? std::string("UTF-8")
                                                     : "CP" + std::to_string(code_page);
  std::string bytes = utf8.empty() || target == "UTF-8" ? utf8 : platform::ConvertCodePage(utf8, "UTF-8", target);
  if (bytes.empty() != utf8.empty()) return nullptr;  // iconv does not know the code page
  if (size < 1 || bytes.size() + 1 > static_cast<size_t>(size)) return nullptr;
  std::copy(bytes.begin(), bytes.end(), buffer);
  buffer[bytes.size()] = '\0';
  return buffer;
}

std::string Utf8ToAnsi(std::string_view text) {
  text = UpToZero(text);
  if (text.empty()) return std::string();
  return platform::ConvertCodePage(std::string(text), "UTF-8", platform::LegacyCodePage());
}

std::string AnsiToUtf8(std::string_view text) {
  text = UpToZero(text);
  if (text.empty()) return std::string();
  return platform::ConvertCodePage(std::string(text), platform::LegacyCodePage(), "UTF-8");
}

void StrMakeLower(std::string* text) { FoldBytes(text, FoldLower); }

void StrMakeUpper(std::string* text) {
  FoldBytes(text, [](unsigned char c) { return static_cast<char>(IsAsciiLower(c) ? c - 32 : c); });
}

std::string StrToLower(std::string_view text) {
  std::string out(text);
  StrMakeLower(&out);
  return out;
}

std::string StrToUpper(std::string_view text) {
  std::string out(text);
  StrMakeUpper(&out);
  return out;
}

int StrCompareNoCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  bool trail = false;  // the byte at i is the trail byte of a double-byte character of both
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (!trail) {
      ca = static_cast<unsigned char>(FoldLower(ca));
      cb = static_cast<unsigned char>(FoldLower(cb));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    // Equal bytes: a lead byte in one is a lead byte in the other.
    trail = !trail && platform::IsLeadByte(ca);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StrEqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StrCompareNoCase(a, b) == 0;
}

bool StrStartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && StrCompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

std::string StrTrimLeft(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return std::string(text.substr(start));
}

std::string StrTrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string StrTrim(std::string_view text) { return StrTrimLeft(StrTrimRight(text)); }
