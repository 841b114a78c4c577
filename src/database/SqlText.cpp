#include "database/SqlText.h"

std::string SqlQuote(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '\'';
  for (char c : text) {
    if (c == '\\' || c == '\'') quoted += '\\';
    quoted += c;
  }
  quoted += '\'';
  return quoted;
}
