#include "shell/TextCut.h"

#include "platform/CodePage.h"

std::string CutLegacyText(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = 0;
  for (size_t i = 0; i < text.size();) {
    size_t width = platform::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (i + width > maxBytes) break;
    i += width;
    end = i;
  }
  return text.substr(0, end);
}
