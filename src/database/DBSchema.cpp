#include "database/DBSchema.h"

#include "foundation/StringUtil.h"

std::string CDBSchema::GetAdapterType() const {
  CScopedLock hold(lock_);
  return adapterType_;
}

void CDBSchema::SetAdapterType(const std::string& type) {
  CScopedLock hold(lock_);
  adapterType_ = type;
}

std::string CDBSchema::GetName() const {
  CScopedLock hold(lock_);
  return name_;
}

void CDBSchema::SetName(const std::string& name) {
  CScopedLock hold(lock_);
  name_ = name;
}

CDBTableSchema* CDBSchema::FindTable(const std::string& name) {
  std::string key = StrToLower(name);
  CScopedLock hold(lock_);
  auto it = tables_.find(key);
  return it == tables_.end() ? nullptr : &it->second;
}

const CDBTableSchema* CDBSchema::FindTable(const std::string& name) const {
  return const_cast<CDBSchema*>(this)->FindTable(name);
}

bool CDBSchema::HasTable(const std::string& name) const { return FindTable(name) != nullptr; }

bool CDBSchema::HasColumn(const std::string& table, const std::string& column) const {
  std::string key = StrToLower(table);
  CScopedLock hold(lock_);
  auto it = tables_.find(key);
  return it != tables_.end() && it->second.HasColumn(column);
}

CDBTableSchema* CDBSchema::AddTable(const std::string& name) {
  std::string key = StrToLower(name);
  CScopedLock hold(lock_);
  CDBTableSchema& table = tables_[key];
  table.SetName(name);
  table.ClearColumns();
  return &table;
}

void CDBSchema::Clear() {
  CScopedLock hold(lock_);
  tables_.clear();
}

void CDBSchema::CopyFrom(const CDBSchema& other) {
  if (this == &other) return;
  CScopedLock hold_other(other.lock_);
  std::string adapter_type = other.adapterType_;
  std::string name = other.name_;
  std::map<std::string, CDBTableSchema> tables = other.tables_;
  hold_other.ReleaseScopedLock();
  CScopedLock hold(lock_);
  adapterType_ = std::move(adapter_type);
  name_ = std::move(name);
  tables_ = std::move(tables);
}

std::vector<std::string> CDBSchema::GetTableNames() const {
  CScopedLock hold(lock_);
  std::vector<std::string> names;
  names.reserve(tables_.size());
  for (const auto& entry : tables_) names.push_back(entry.second.GetName());
  return names;
}

void CDBSchema::Serialize(CSerializationInfo& node) const {
  CScopedLock hold(lock_);
  node.SetName(GetTypeName());
  node.AddValue("adaptertype", adapterType_);
  node.AddValue("name", name_);
  CSerializationInfo* list = node.GetOrAddChild();
  list->SetName("DBTables");
  list->SetArray(true);
  CSerializationInfo* item = nullptr;
  for (const auto& entry : tables_) {
    item = item ? item->AppendSibling() : list->GetOrAddChild();
    entry.second.Serialize(*item);
  }
}

void CDBSchema::Deserialize(const CSerializationInfo& node) {
  CScopedLock hold(lock_);
  if (node.IndexOf("adaptertype") >= 0) adapterType_ = node.GetValue("adaptertype");
  if (node.IndexOf("name") >= 0) name_ = node.GetValue("name");
  tables_.clear();
  const CSerializationInfo* list = node.GetFirstChild();
  if (!list || !StrEqualNoCase(list->GetName(), "DBTables")) return;
  for (const CSerializationInfo* item = list->GetFirstChild(); item; item = item->GetNextSibling()) {
    CDBTableSchema table;
    table.Deserialize(*item);
    tables_[StrToLower(table.GetName())] = table;
  }
}
