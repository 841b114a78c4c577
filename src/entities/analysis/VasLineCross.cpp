#include "entities/analysis/VasLineCross.h"

#include <map>

#include "entities/operations/OwnerDataStore.h"

std::vector<std::shared_ptr<CTBLVasLineCross>> CTBLVasLineCross::GetLineGroup() const {
  IDataStore* store = GetOwnerDataStore(*this);
  if (GetIsLineGrouping() == 0 || store == nullptr) return {};
  const int device = GetVasDeviceID();
  const int group = GetGroupNumber();
  std::map<int, std::shared_ptr<CTBLVasLineCross>> byPlace;
  for (auto& [id, row] : store->GetCachedEntityList(kTableName)) {
    auto line = std::dynamic_pointer_cast<CTBLVasLineCross>(row);
    if (!line || line->GetIsLineGrouping() == 0) continue;
    if (line->GetVasDeviceID() != device || line->GetGroupNumber() != group) continue;
    byPlace[line->GetOrderInGroup()] = line;  // in key order: the higher key stays
  }
  std::vector<std::shared_ptr<CTBLVasLineCross>> lines;
  lines.reserve(byPlace.size());
  for (auto& [place, line] : byPlace) lines.push_back(line);
  return lines;
}

std::vector<int> CTBLVasLineCross::GetGroupLineNumbers() const {
  std::vector<int> numbers;
  for (const auto& line : GetLineGroup()) numbers.push_back(line->GetNumber());
  return numbers;
}

std::string CTBLVasLineCross::GetGroupLineNumbersText(const std::string& separator) const {
  std::string text;
  for (int number : GetGroupLineNumbers()) {
    if (!text.empty()) text += separator.empty() ? "," : separator;
    text += std::to_string(number);
  }
  return text;
}

GATE_REGISTER_ENTITY(CTBLVasLineCross);
