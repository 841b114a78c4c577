#include "shell/Rect.h"

#include <cstdio>

std::string ToString(const CRect& rect) {
  char text[80];
  std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", rect.left, rect.top, rect.right, rect.bottom);
  return text;
}
