// The user-interface texts by number, as the windows ask for them. The
// application's language texts stand behind it; tests give their own table.
#pragma once

#include <string>

#include "foundation/MultiLang.h"

class ILangTexts {
 public:
  virtual ~ILangTexts() = default;
  // The text of `index` in the legacy code page; "" for an index without a text.
  virtual std::string GetText(int index) const = 0;
};

// The application's loaded language texts behind the windows' interface.
class CMultiLangTexts : public ILangTexts {
 public:
  // `texts` must outlive this object.
  explicit CMultiLangTexts(const CMultiLang* texts) : texts_(texts) {}
  std::string GetText(int index) const override { return texts_->GetText(index); }

 private:
  const CMultiLang* texts_;
};
