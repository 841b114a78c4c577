// One column of a CListCtrlEx: its header title, width, comparator kind and
// the caller's value.
#pragma once

#include <cstdint>
#include <string>

#include "shell/ListSortValue.h"

// Column alignment, passed on to the view.
enum ListColumnFormat : int {
  LIST_FORMAT_LEFT = 0,
  LIST_FORMAT_RIGHT = 1,
  LIST_FORMAT_CENTER = 2,
};

struct CListColumnInfo {
  // Title, width and caller's value as given; text sort, sortable, descending, left-aligned.
  CListColumnInfo(std::string title_, int width_, int64_t data_)
      : title(std::move(title_)), width(width_), data(data_) {}

  std::string title;                 // header text (legacy code page)
  int width = 0;                     // pixels
  int reserved = 0;                  // carried, not used by the list
  int sortType = LIST_SORT_TEXT;     // comparator kind (ListSortType); outside 0..9 behaves as 0
  int sortable = 1;                  // a header click sorts by this column when nonzero
  int ascending = 0;                 // nonzero ascending, 0 descending
  int format = LIST_FORMAT_LEFT;     // alignment (ListColumnFormat)
  int64_t data = 0;                  // the caller's value
};
