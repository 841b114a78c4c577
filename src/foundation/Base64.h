// Base64 of the standard alphabet with "=" as the pad character and no line
// breaks, in both directions. Decoding is strict about the characters (white
// space and line breaks are errors) and about whole groups of four.
#pragma once

#include <stddef.h>

#include <string>
#include <string_view>

// Replaces `text` with the Base64 of `count` bytes; empty when count is 0.
// Returns the text's length (4 * ceil(count / 3)).
size_t Base64Encode(const void* bytes, size_t count, std::string* text);
// Sets `text` to the Base64 of the bytes; empty when `count` is 0 or less.
void Base64EncodeInto(const void* bytes, long count, std::string* text);
// The Base64 of `count` bytes.
std::string Base64EncodeToString(const void* bytes, size_t count);
// The Base64 of the text's bytes up to its first zero byte.
std::string Base64EncodeText(std::string_view text);

// Decodes `text` in groups of four characters into `bytes` and returns the
// number of bytes, or -1 (leaving `bytes` untouched) when a character is
// outside the alphabet and "=", or when the text ends inside a group. A group
// whose third or fourth character is "=" ends the decoding: it gives one or
// two bytes and whatever follows it is not looked at. The empty text gives 0.
long Base64Decode(std::string_view text, std::string* bytes);
