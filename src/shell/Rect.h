// Rectangles and sizes in window pixels, as the user-interface helpers
// compute them without a toolkit: left and top inside, right and bottom outside.
#pragma once

#include <string>

struct CSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const CSize&) const = default;
};

struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  CRect() = default;
  CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const CRect&) const = default;
};

// "(l, t, r, b)", for test messages and log lines.
std::string ToString(const CRect& rect);
