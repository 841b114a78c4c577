#include "entities/TreeNodeText.h"

#include "foundation/StringUtil.h"
#include "platform/CodePage.h"

bool LowerTextContains(std::string_view text, std::string_view filter) {
  if (filter.empty()) return true;
  std::string lower = StrToLower(text);
  for (size_t i = 0; i + filter.size() <= lower.size();) {
    if (std::string_view(lower).substr(i, filter.size()) == filter) return true;
    bool lead = platform::IsLeadByte(static_cast<unsigned char>(lower[i])) && i + 1 < lower.size();
    i += lead ? 2 : 1;
  }
  return false;
}
