#include "foundation/Base64.h"

#include <stdint.h>

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kInvalid = -1;

// Decoding table: the alphabet gives 0-63, "=" gives 0, every other byte is invalid.
constexpr std::array<int8_t, 256> MakeDecodeTable() {
  std::array<int8_t, 256> table{};
  for (auto& v : table) v = kInvalid;
  for (int i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  table['='] = 0;
  return table;
}
constexpr std::array<int8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

size_t Base64Encode(const void* bytes, size_t count, std::string* text) {
  const uint8_t* in = static_cast<const uint8_t*>(bytes);
  text->clear();
  text->resize((count + 2) / 3 * 4);
  char* out = text->data();
  size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    *out++ = kAlphabet[(group >> 18) & 0x3F];
    *out++ = kAlphabet[(group >> 12) & 0x3F];
    *out++ = kAlphabet[(group >> 6) & 0x3F];
    *out++ = kAlphabet[group & 0x3F];
  }
  if (count - i == 1) {
    uint32_t group = uint32_t{in[i]} << 16;
    *out++ = kAlphabet[(group >> 18) & 0x3F];
    *out++ = kAlphabet[(group >> 12) & 0x3F];
    *out++ = '=';
    *out++ = '=';
  } else if (count - i == 2) {
    uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8);
    *out++ = kAlphabet[(group >> 18) & 0x3F];
    *out++ = kAlphabet[(group >> 12) & 0x3F];
    *out++ = kAlphabet[(group >> 6) & 0x3F];
    *out++ = '=';
  }
  return text->size();
}

void Base64EncodeInto(const void* bytes, long count, std::string* text) {
  if (count <= 0) {
    text->clear();
    return;
  }
  Base64Encode(bytes, static_cast<size_t>(count), text);
}

std::string Base64EncodeToString(const void* bytes, size_t count) {
  std::string text;
  Base64Encode(bytes, count, &text);
  return text;
}

std::string Base64EncodeText(std::string_view text) {
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return Base64EncodeToString(text.data(), text.size());
}

long Base64Decode(std::string_view text, std::string* bytes) {
  const size_t n = text.size();
  const auto at = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  // Checking pass. A group that the text ends inside is an error (the length is
  // tested before the group is read, so nothing past the end is looked at).
  size_t end = 0;  // end of the last group to decode
  for (size_t i = 0; i < n; i += 4) {
    if (n - i < 4) return -1;
    for (size_t k = 0; k < 4; ++k) {
      if (kDecode[at(i + k)] == kInvalid) return -1;
    }
    end = i + 4;
    if (text[i + 2] == '=' || text[i + 3] == '=') break;
  }
  // Decoding pass.
  std::string out;
  out.reserve(end / 4 * 3);
  for (size_t i = 0; i < end; i += 4) {
    uint32_t a = static_cast<uint32_t>(kDecode[at(i)]);
    uint32_t b = static_cast<uint32_t>(kDecode[at(i + 1)]);
    uint32_t c = static_cast<uint32_t>(kDecode[at(i + 2)]);
    uint32_t d = static_cast<uint32_t>(kDecode[at(i + 3)]);
    out.push_back(static_cast<char>((a << 2 | b >> 4) & 0xFF));
    if (text[i + 2] == '=') break;
    out.push_back(static_cast<char>((b << 4 | c >> 2) & 0xFF));
    if (text[i + 3] == '=') break;
    out.push_back(static_cast<char>((c << 6 | d) & 0xFF));
  }
  bytes->swap(out);
  return static_cast<long>(bytes->size());
}
