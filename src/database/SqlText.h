// Pieces of SQL text that the adapter writes.
#pragma once

#include <string>

// `text` with every backslash doubled, then every apostrophe as \', in single
// quotes: a literal that the server reads back as `text` (backslash escapes on).
std::string SqlQuote(const std::string& text);
