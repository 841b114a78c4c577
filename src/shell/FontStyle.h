// A font description with a text colour, shared by the lists and dialogs of
// the user interface. The toolkit layer makes the real font from it on first use.
#pragma once

#include <cstdint>
#include <string>

struct CFontStyle {
  int reserved = 0;                   // copied, never read
  int height = 0;                     // logical height in pixels (character height)
  int weight = 0;                     // 400 normal, 700 bold; 0 the toolkit's default
  std::string faceName = "Tahoma";    // face name, legacy code page; at most 31 bytes are used
  uint32_t textColor = 0;             // 0x00BBGGRR
  int flag = 0;                       // copied, never read
  int state = 1;                      // 0 once a list has reset its copy; never read

  // The face name as the font is made from it: at most 31 bytes, never ending
  // inside a double-byte character of the legacy code page.
  std::string FontFaceName() const;
};
