#include "RowTestSupport.h"

#include "entities/base/RowClassCheck.h"

CKeyValueData KeyValues(std::initializer_list<std::pair<std::string, std::string>> values) {
  CKeyValueData row;
  for (const auto& [name, value] : values) row.SetValue(name, value);
  return row;
}

void LoadValues(CDBEntity& row, std::initializer_list<std::pair<std::string, std::string>> values) {
  CKeyValueData data = KeyValues(values);
  row.LoadFrom(data);
}

std::unique_ptr<CDBEntity> NewRow(const std::string& table) {
  return std::unique_ptr<CDBEntity>(CDBEntityFactory::CreateEntity(table));
}

std::string ColumnValueText(const CDBEntity& row, const std::string& name) {
  for (const CColumnValue& value : row.GetColumnValues()) {
    if (value.GetName() == name) return value.GetValue();
  }
  return "<missing>";
}

NotificationRecorder::NotificationRecorder(CDBEntity& row) { row.Subscribe("recorder", &OnChanged, this); }

void NotificationRecorder::OnChanged(CDBEntity*, const char* column, void* context) {
  static_cast<NotificationRecorder*>(context)->columns_.push_back(column);
}

void ExpectTableFacts(const TableFacts& facts) {
  SCOPED_TRACE(facts.table);
  std::unique_ptr<CDBEntity> row = NewRow(facts.table);
  ASSERT_NE(row, nullptr) << "not registered";
  EXPECT_STREQ(row->GetTableName(), facts.table);
  std::vector<CColumnValue> values = row->GetColumnValues();
  ASSERT_EQ(values.size(), facts.columnCount);
  EXPECT_EQ(values.front().GetName(), facts.firstColumn);
  EXPECT_EQ(values.back().GetName(), facts.lastColumn);
  EXPECT_STREQ(row->GetKeyColumnName(), facts.keyColumn);
  EXPECT_EQ(row->IsAutoIncrementKey(), facts.autoIncrement);
  EXPECT_EQ(row->HasCompositeKey(), facts.compositeKey);
  EXPECT_EQ(row->IsMemoryOnly(), facts.memoryOnly);
  EXPECT_EQ(row->IsExcludedFromCache(), facts.excludedFromCache);
  EXPECT_FALSE(row->HasChanges());
  for (const ColumnFact& column : facts.columns) {
    ASSERT_LT(column.index, values.size()) << column.name;
    const CColumnValue& value = values[column.index];
    EXPECT_EQ(value.GetName(), column.name) << "column " << column.index;
    EXPECT_EQ(value.GetKind(), column.kind) << column.name;
    EXPECT_EQ(value.GetValue(), column.initial) << column.name;
  }
  std::vector<CRelationInfo> relations = row->GetRelationInfos();
  ASSERT_EQ(relations.size(), facts.relations.size());
  for (size_t i = 0; i < relations.size(); ++i) {
    EXPECT_EQ(relations[i].GetRelatedTable(), facts.relations[i].table) << "relation " << i;
    EXPECT_EQ(relations[i].GetRelationColumn(), facts.relations[i].column) << "relation " << i;
    EXPECT_EQ(relations[i].GetMode(), facts.relations[i].mode) << "relation " << i;
  }
  for (const std::string& problem : CheckRowClass(facts.table)) {
    bool expected = false;
    for (const std::string& departure : facts.departures) expected |= problem.find(departure) != std::string::npos;
    if (!expected) ADD_FAILURE() << problem;
  }
}
