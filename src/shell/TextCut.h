// Cutting legacy code-page texts to a byte limit without splitting a
// double-byte character (a lead byte left alone at the end becomes garbage).
#pragma once

#include <cstddef>
#include <string>

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a character boundary.
std::string CutLegacyText(const std::string& text, size_t maxBytes);
