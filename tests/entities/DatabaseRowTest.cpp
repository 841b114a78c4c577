#include "DatabaseRowTest.h"

#include "database/DataStore.h"
#include "entities/base/EntitySchema.h"

void DatabaseRowTest::SetUp() {
  GATE_REQUIRE_DATABASE(db_);
  std::string error;
  name_ = CreateScratchDatabase(db_, "entities_rows", &error);
  ASSERT_FALSE(name_.empty()) << error;
  ASSERT_TRUE(RunSqlScript(db_, name_, GetDatabaseCreationScript(), &error)) << error;
  service_ = std::make_unique<CDBDataStore>();
  service_->Initialize(db_.host.c_str(), static_cast<int>(db_.port), name_.c_str(), db_.user.c_str(),
                       db_.password.c_str());
  ASSERT_TRUE(service_->IsConnected(0));
}

void DatabaseRowTest::TearDown() {
  service_.reset();
  if (!name_.empty()) DropScratchDatabase(db_, name_);
}

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
