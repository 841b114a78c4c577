#include "DatabaseRowTest.h"

#include "database/DataStore.h"

EntityPtr DatabaseRowTest::Find(const char* table, const char* keyColumn, int id) {
  return service_->FindDBEntity(table, keyColumn, id);
}

EntityMap DatabaseRowTest::List(const char* table, const std::string& clause) {
  EntityMap rows;
  service_->GetDBEntityList(table, clause.c_str(), rows);
  return rows;
}

std::string DatabaseRowTest::OnlyRowValue(const char* table, const char* column, const std::string& clause) {
  EntityMap rows = List(table, clause);
  if (rows.size() != 1) return std::to_string(rows.size()) + " rows";
  for (const CColumnValue& value : rows.begin()->second->GetColumnValues()) {
    if (value.GetName() == column) return value.GetValue();
  }
  return "<no column>";
}

bool DatabaseRowTest::DeleteWithRelations(CDBEntity& row) {
  auto store = std::make_unique<CDataStore>(service_.get());
  return store->DeleteEntityEx(&row, false, 0);
}
