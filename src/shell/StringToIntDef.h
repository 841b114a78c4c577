// Whole numbers from texts the way the C library's atol reads them.
#pragma once

// When `text` is present and not empty: its leading blanks are skipped, then
// an optional sign and the digits up to the first other character are read
// (0 when there are none; a value beyond the int range is clamped to it).
// Otherwise `defaultValue`. Locale-independent; no state, any thread.
int StringToIntDef(const char* text, int defaultValue);
