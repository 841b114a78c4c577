// The comparator kinds of a list column: how a cell text becomes the value
// that a header-click sort compares. Numbers are read in the C locale whatever
// the process locale, and a text that does not parse counts as 0.
#pragma once

#include <cstdint>
#include <string>

enum ListSortType : int {
  LIST_SORT_NONE = 0,        // the rows are not reordered
  LIST_SORT_ROW_NUMBER = 1,  // leading integer; a first column of this kind is renumbered after a sort
  LIST_SORT_TEXT = 2,        // bytes, unsigned, case-sensitive
  LIST_SORT_INTEGER = 3,     // leading integer
  LIST_SORT_REAL = 4,        // leading real number, compared in single precision
  LIST_SORT_PERCENT = 5,     // "75%": the number before a final '%', else 0
  LIST_SORT_RESOLUTION = 6,  // "1920x1080": the product of the two numbers
  LIST_SORT_BIT_RATE = 7,    // "10 Kbps" = 10240
  LIST_SORT_BYTE_SIZE = 8,   // "2 KB" = 2048, "512 Bytes" = 512
  LIST_SORT_DURATION = 9,    // microseconds: "5s", "20 ms", "3 us"
};

// The leading integer of `text` as a signed 32-bit value: blanks skipped, an
// optional sign, decimal digits; 0 when there is none, clamped when out of range.
int32_t ReadLeadingInt32(const std::string& text);
// The leading real number of `text` (blanks skipped, optional sign, digits,
// point, exponent); 0 when there is none, and for texts naming NaN.
double ReadLeadingReal(const std::string& text);

// Kind 6: the product of the two numbers of "%dx%d" (each 0 when absent), as unsigned 32-bit.
uint32_t ResolutionSortValue(const std::string& text);
// Kind 7: the bit rate in bits per second; 0 without "bps" after at least one
// character, or with a unit other than K, M and G before it.
int64_t BitRateSortValue(const std::string& text);
// Kind 8: the size in bytes; "<n>Bytes" or "<n> <unit>B" with K, M, G or T; else 0.
int64_t ByteSizeSortValue(const std::string& text);
// Kind 9: the duration in microseconds; "<n>s", "<n>ms", "<n>us"; "X", "s" alone and others 0.
int64_t DurationSortValue(const std::string& text);
// Kind 5: the number before a final '%', else 0.
double PercentSortValue(const std::string& text);

// Compares two cell texts under comparator kind `sortType`: +1, 0 or -1 for
// `a` greater, equal or smaller; negated when `ascending` is false. Kind 0 and
// unknown kinds answer 0.
int CompareListCells(int sortType, const std::string& a, const std::string& b, bool ascending);
