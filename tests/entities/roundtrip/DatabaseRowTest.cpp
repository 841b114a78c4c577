#include "DatabaseRowTest.h"

#include "entities/base/DBEntityFactory.h"
#include "foundation/StringUtil.h"

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
  for (const CRelationInfo& relation : row.GetRelationInfos()) {
    if (relation.GetMode() == kRelationModeNone) continue;
    if (CDBEntityFactory::GetTableDescriptor(relation.GetRelatedTable()) == nullptr) continue;
    EntityMap related = List(relation.GetRelatedTable().c_str(),
                             StrFormat("WHERE `%s` = %d", relation.GetRelationColumn().c_str(), row.GetID()));
    for (auto& [id, other] : related) {
      if (relation.GetMode() == kRelationModeDelete) {
        if (!DeleteWithRelations(*other)) return false;
      } else {
        std::unique_ptr<CDBEntity> clone(other->Clone());
        CKeyValueData zero;
        zero.SetValue(StrToLower(relation.GetRelationColumn()), "0");
        clone->LoadFrom(zero);
        if (!service_->UpdateEntity(clone.get(), 0)) return false;
      }
    }
  }
  return service_->DeleteEntityEx(&row, false, 0);
}
