#include "foundation/RecordFields.h"

CSerializationInfo& CRecordGroupWriter::At(const char* group, const char* inner) {
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
