#include "entities/base/KeyValueData.h"

CKeyValueData::CKeyValueData()
    : owned_(std::make_unique<Owned>()), index_(&owned_->index), values_(&owned_->values) {}

CKeyValueData::CKeyValueData(ColumnIndex* index, Values* values) : index_(index), values_(values) {}

CKeyValueData::~CKeyValueData() = default;

CKeyValueData::CKeyValueData(const CKeyValueData& other)
    : owned_(other.owned_ ? std::make_unique<Owned>(*other.owned_) : nullptr),
      index_(owned_ ? &owned_->index : other.index_),
      values_(owned_ ? &owned_->values : other.values_),
      cells_(owned_ ? nullptr : other.cells_),
      cellCount_(owned_ ? 0 : other.cellCount_),
      current_(other.current_) {}

CKeyValueData& CKeyValueData::operator=(const CKeyValueData& other) {
  if (this != &other) {
    CKeyValueData copy(other);
    owned_ = std::move(copy.owned_);
    index_ = owned_ ? &owned_->index : copy.index_;
    values_ = owned_ ? &owned_->values : copy.values_;
    cells_ = copy.cells_;
    cellCount_ = copy.cellCount_;
    current_ = copy.current_;
    planKey_ = nullptr;
  }
  return *this;
}

bool CKeyValueData::Find(std::string_view name) {
  auto it = index_->find(name);
  current_ = it == index_->end() ? -1 : it->second;
  return current_ >= 0;
}

const std::string* CKeyValueData::GetValue() const {
  if (current_ < 0) return nullptr;
  if (cells_) {
    std::string_view text;
    if (!GetText(static_cast<size_t>(current_), &text)) return nullptr;
    cellText_.assign(text);
    return &cellText_;
  }
  if (!values_ || static_cast<size_t>(current_) >= values_->size()) return nullptr;
  return &(*values_)[static_cast<size_t>(current_)];
}

const CKeyValueData::Values& CKeyValueData::GetValues() const {
  static const Values kNone;
  return cells_ || !values_ ? kNone : *values_;
}

void CKeyValueData::SetValue(const std::string& name, const std::string& value) {
  if (cells_ || !values_) return;
  values_->push_back(value);
  (*index_)[name] = static_cast<int>(values_->size() - 1);
  planKey_ = nullptr;
}

void CKeyValueData::SetValues(Values* values) {
  values_ = values;
  cells_ = nullptr;
  cellCount_ = 0;
  current_ = -1;
}

void CKeyValueData::SetCells(const Cell* cells, size_t count) {
  cells_ = cells;
  cellCount_ = count;
  current_ = -1;
}
