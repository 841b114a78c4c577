#include "foundation/StrList.h"

namespace {

const std::string& EmptyItem() {
  static const std::string* empty = new std::string();  // never destroyed
  return *empty;
}

}  // namespace

int CStrList::Split(std::string_view text, std::string_view separator) {
  items_.clear();
  if (separator.empty()) {
    if (!text.empty()) items_.emplace_back(text);
    return GetCount();
  }
  size_t position = 0;
  while (position <= text.size()) {
    size_t found = text.find(separator, position);
    size_t end = found == std::string_view::npos ? text.size() : found;
    if (end > position) items_.emplace_back(text.substr(position, end - position));
    if (found == std::string_view::npos) break;
    position = found + separator.size();
  }
  return GetCount();
}

std::string CStrList::Join(std::string_view separator) const {
  std::string out;
  for (const std::string& item : items_) {
    if (!out.empty()) out.append(separator);
    out.append(item);
  }
  return out;
}

const std::string& CStrList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return EmptyItem();
  return items_[static_cast<size_t>(index)];
}
