// The user-interface texts by number, as the windows ask for them. The
// application's language texts stand behind it; tests give their own table.
#pragma once

#include <string>

class ILangTexts {
 public:
  virtual ~ILangTexts() = default;
  // The text of `index` in the legacy code page; "" for an index without a text.
  virtual std::string GetText(int index) const = 0;
};
