#include "recorders/ZavRecordFields.h"

#include "database/ISettingManager.h"

CSerializationInfo& ZavGroupWriter::At(const char* group, const char* inner) {
  std::string key = std::string(group) + '/' + (inner ? inner : "");
  if (current_ && key == currentGroup_) return *currentValues_;
  current_ = first_ ? first_->AppendSibling() : node_.GetOrAddChild();
  if (!first_) first_ = current_;
  current_->SetName(group);
  currentGroup_ = key;
  currentValues_ = current_;
  if (inner) {
    currentValues_ = current_->GetOrAddChild();
    currentValues_->SetName(inner);
  }
  return *currentValues_;
}

std::vector<int32_t> ZavChannelList(const std::string& text) {
  std::vector<int32_t> channels;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) channels.push_back(SettingTextToLong(text.substr(start, end - start)));
    start = end + 1;
  }
  return channels;
}
