#include "RowTestSupport.h"

#include "entities/base/RowClassCheck.h"
#include "foundation/StringUtil.h"

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

std::string SampleValue(const CColumnValue& column, size_t index) {
  switch (column.GetKind()) {
    case kColumnKindBool:
      return column.GetValue() == "1" ? "0" : "1";
    case kColumnKindInt:
    case kColumnKindUInt32:
      return std::to_string(100 + index);
    case kColumnKindUInt64:
      return "5000000000";
    case kColumnKindFloat:
      return "2.5";
    case kColumnKindDouble:
      return "0.125";
    case kColumnKindDateTime:
      return StrFormat("2024-01-02 03:04:%02d", static_cast<int>(index % 60));
    case kColumnKindDate:
      return StrFormat("2024-01-%02d", static_cast<int>(1 + index % 28));
    case kColumnKindTime:
      return StrFormat("03:04:%02d", static_cast<int>(index % 60));
    default:
      if (column.GetName() == "schedule") return std::string(84, 'E') + std::string(84, 'N');
      return StrFormat("t%zu it's a\\b", index);
  }
}

std::unique_ptr<CDBEntity> SampleRow(const char* table) {
  std::unique_ptr<CDBEntity> row = NewRow(table);
  if (!row) return row;
  CKeyValueData values;
  std::vector<CColumnValue> columns = row->GetColumnValues();
  for (size_t i = 0; i < columns.size(); ++i) {
    if (row->IsAutoIncrementKey() && StrEqualNoCase(columns[i].GetName(), row->GetKeyColumnName())) continue;
    values.SetValue(StrToLower(columns[i].GetName()), SampleValue(columns[i], i));
  }
  row->LoadFrom(values);
  return row;
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
