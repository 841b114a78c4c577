// Text helpers of the tree-node filters: the rows' MatchesFilter tests whether
// a column in lower case contains the filter text as the caller gave it.
#pragma once

#include <string>
#include <string_view>

// True when `text` in lower case contains `filter` (not lower-cased; callers
// pass it in lower case) starting at a character of the legacy code page, not
// at the trail byte of a double-byte one. An empty filter is always contained.
bool LowerTextContains(std::string_view text, std::string_view filter);
