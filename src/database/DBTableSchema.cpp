#include "database/DBTableSchema.h"

#include "foundation/StringUtil.h"

CDBTableSchema::CDBTableSchema(const CDBTableSchema& other) { *this = other; }

CDBTableSchema& CDBTableSchema::operator=(const CDBTableSchema& other) {
  if (this == &other) return *this;
  // Copy under the other's lock, then store under ours: never both at once.
  CScopedLock hold_other(other.lock_);
  std::string name = other.name_;
  std::map<std::string, CDBColumnSchema> columns = other.columns_;
  std::list<std::string> column_order = other.columnOrder_;
  hold_other.ReleaseScopedLock();
  CScopedLock hold(lock_);
  name_ = std::move(name);
  columns_ = std::move(columns);
  columnOrder_ = std::move(column_order);
  return *this;
}

std::string CDBTableSchema::GetName() const {
  CScopedLock hold(lock_);
  return name_;
}

void CDBTableSchema::SetName(const std::string& name) {
  CScopedLock hold(lock_);
  name_ = name;
}

bool CDBTableSchema::HasColumn(const std::string& name) const {
  std::string key = StrToLower(name);
  CScopedLock hold(lock_);
  return columns_.count(key) != 0;
}

bool CDBTableSchema::GetColumn(const std::string& name, CDBColumnSchema* column) const {
  std::string key = StrToLower(name);
  CScopedLock hold(lock_);
  auto it = columns_.find(key);
  if (it == columns_.end()) return false;
  if (column) *column = it->second;
  return true;
}

void CDBTableSchema::AddColumn(CKeyValueData& row) {
  CDBColumnSchema column;
  column.LoadFrom(row);
  std::string key = StrToLower(column.GetField());
  CScopedLock hold(lock_);
  columns_[key] = column;
  columnOrder_.push_back(key);
}

void CDBTableSchema::AddColumns(ColumnIndex& columns, ResultRows& rows) {
  CScopedLock hold(lock_);
  for (ResultRow& values : rows) {
    CKeyValueData row(&columns, &values);
    AddColumn(row);
  }
}

std::list<std::string> CDBTableSchema::GetColumnOrder() const {
  CScopedLock hold(lock_);
  return columnOrder_;
}

std::map<std::string, CDBColumnSchema> CDBTableSchema::GetColumns() const {
  CScopedLock hold(lock_);
  return columns_;
}

void CDBTableSchema::ClearColumns() {
  CScopedLock hold(lock_);
  columns_.clear();
  columnOrder_.clear();
}

void CDBTableSchema::Serialize(CSerializationInfo& node) const {
  CScopedLock hold(lock_);
  node.SetName(GetTypeName());
  node.AddValue("name", name_);
  CSerializationInfo* list = node.GetOrAddChild();
  list->SetName("DBColumns");
  list->SetArray(true);
  CSerializationInfo* item = nullptr;
  for (const auto& entry : columns_) {
    item = item ? item->AppendSibling() : list->GetOrAddChild();
    entry.second.Serialize(*item);
  }
}

void CDBTableSchema::Deserialize(const CSerializationInfo& node) {
  CScopedLock hold(lock_);
  if (node.IndexOf("name") >= 0) name_ = node.GetValue("name");
  columns_.clear();
  columnOrder_.clear();
  const CSerializationInfo* list = node.GetFirstChild();
  if (!list || !StrEqualNoCase(list->GetName(), "DBColumns")) return;
  for (const CSerializationInfo* item = list->GetFirstChild(); item; item = item->GetNextSibling()) {
    CDBColumnSchema column;
    column.Deserialize(*item);
    std::string key = StrToLower(column.GetField());
    columns_[key] = column;
    columnOrder_.push_back(key);
  }
}
