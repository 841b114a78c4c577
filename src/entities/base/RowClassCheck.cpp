#include "entities/base/RowClassCheck.h"

#include <memory>
#include <set>

#include "entities/base/DBEntity.h"
#include "entities/base/DBEntityFactory.h"
#include "foundation/JsonSerializer.h"
#include "foundation/SerializationInfo.h"
#include "foundation/StringUtil.h"

namespace {

using RowPtr = std::unique_ptr<CDBEntity>;

// A value text of each kind that differs from the initial values.
std::string SampleText(ColumnKind kind, size_t index) {
  switch (kind) {
    case kColumnKindInt:
    case kColumnKindUInt32:
      return std::to_string(1000 + index);
    case kColumnKindBool:
      return "1";
    case kColumnKindUInt64:
      return "18446744073709551000";
    case kColumnKindFloat:
      return "2.5";
    case kColumnKindDouble:
      return "0.100000000000000006";
    case kColumnKindDateTime:
      return "2024-02-29 23:59:58";
    case kColumnKindDate:
      return "2024-02-29";
    case kColumnKindTime:
      return "23:59:58";
    case kColumnKindString:
      return "it's C:\\dir " + std::to_string(index);
    case kColumnKindNone:
      break;
  }
  return std::string();
}

class Checker {
 public:
  explicit Checker(std::string table) : table_(std::move(table)) {}

  void Fail(const std::string& what) { problems_.push_back(table_ + ": " + what); }
  std::vector<std::string> TakeProblems() { return std::move(problems_); }

  void Run() {
    const CTableDescriptor* table = CDBEntityFactory::GetTableDescriptor(table_);
    RowPtr row(CDBEntityFactory::CreateEntity(table_));
    if (!row || !table) return Fail("not registered with a row class and its column list");
    if (&row->GetTableDescriptor() != table) Fail("the row's column list is not the registered one");
    for (const std::string& spelling : {StrToLower(table_), StrToUpper(table_), std::string(row->GetTableName())}) {
      RowPtr other(CDBEntityFactory::CreateEntity(spelling));
      if (!other || other.get() == row.get() || &other->GetTableDescriptor() != table) {
        Fail("the registry does not build a new row for \"" + spelling + "\"");
      }
    }
    if (!StrEqualNoCase(row->GetTableName(), table_)) Fail("registered under another table name");
    CheckColumns(*table);
    CheckKey(*table, *row);
    CheckReportedColumns(*table, *row);
    CheckRoundTrips(*table, *row);
  }

 private:
  void CheckColumns(const CTableDescriptor& table) {
    if (table.GetColumnCount() == 0) Fail("has no columns");
    std::set<std::string> names;
    std::set<std::string> loadNames;
    for (size_t i = 0; i < table.GetLookupNameCount(); ++i) {
      if (!loadNames.insert(table.GetLookupName(i)).second) Fail("load name twice: " + table.GetLookupName(i));
    }
    for (size_t i = 0; i < table.GetColumnCount(); ++i) {
      const CColumnDescriptor& column = table.GetColumn(i);
      if (!names.insert(StrToLower(column.name)).second) Fail(std::string("column name twice: ") + column.name);
      bool irregular = (column.options.flags & kColumnIrregularAccessor) != 0;
      if (!irregular && AccessorSuffixFor(column.name) != column.accessor) {
        Fail(std::string("accessor Get") + column.accessor + " of column " + column.name + " should be Get" +
             AccessorSuffixFor(column.name));
      }
      if ((column.options.flags & kColumnIdFromSource) && IsTextColumnKind(column.kind)) {
        Fail(std::string("text column ") + column.name + " cannot take an ID from the ID source");
      }
    }
  }

  void CheckKey(const CTableDescriptor& table, CDBEntity& row) {
    std::string keyName = row.GetKeyColumnName();
    auto kindOf = [&](size_t i) { return i < table.GetColumnCount() ? table.GetColumn(i).kind : kColumnKindNone; };
    auto isInt = [&](size_t i) { return kindOf(i) == kColumnKindInt || kindOf(i) == kColumnKindBool; };
    switch (table.GetKeyKind()) {
      case EntityKeyKind::kAutoIncrement:
      case EntityKeyKind::kPlain:
        if (!isInt(0)) Fail("a 32-bit key needs an int first column");
        break;
      case EntityKeyKind::kAutoIncrement64:
      case EntityKeyKind::kPlain64:
        if (kindOf(0) != kColumnKindUInt64) Fail("a 64-bit key needs a uint64 first column");
        break;
      case EntityKeyKind::kComposite:
        if (!isInt(0) || !isInt(1)) Fail("a two-column key needs two int first columns");
        break;
      case EntityKeyKind::kNone:
        break;
    }
    if (table.HasHiddenRowId()) {
      if (!keyName.empty()) Fail("a row without a single key column names key column " + keyName);
    } else if (table.GetColumnCount() == 0 || !StrEqualNoCase(keyName, table.GetColumn(0).name)) {
      Fail("key column \"" + keyName + "\" is not the first column but for letter case");
    }
  }

  void CheckReportedColumns(const CTableDescriptor& table, const CDBEntity& row) {
    std::vector<CColumnValue> values = row.GetColumnValues();
    if (values.size() != table.GetColumnCount()) {
      return Fail("reports " + std::to_string(values.size()) + " columns, declares " +
                  std::to_string(table.GetColumnCount()));
    }
    for (size_t i = 0; i < values.size(); ++i) {
      const CColumnDescriptor& column = table.GetColumn(i);
      if (values[i].GetName() != column.name || values[i].GetKind() != column.kind) {
        Fail("column " + std::to_string(i) + " reported as " + values[i].GetName() + " of kind " +
             std::to_string(values[i].GetKind()) + ", declared " + column.name + " of kind " +
             std::to_string(column.kind));
      }
    }
  }

  // Columns loaded under their lower-case names (the ones WriteColumns writes).
  static std::vector<CColumnValue> RoundTripColumns(const CTableDescriptor& table, const CDBEntity& row) {
    std::vector<CColumnValue> values = row.GetColumnValues();
    std::vector<CColumnValue> kept;
    for (size_t i = 0; i < values.size() && i < table.GetColumnCount(); ++i) {
      if (table.GetLoadName(i) == StrToLower(table.GetColumn(i).name)) kept.push_back(values[i]);
    }
    return kept;
  }

  void CheckRoundTrips(const CTableDescriptor& table, const CDBEntity& initial) {
    // Initial values survive WriteColumns and LoadFrom into a fresh row.
    CKeyValueData written;
    initial.WriteColumns(written);
    RowPtr loaded(CDBEntityFactory::CreateEntity(table_));
    if (!loaded) return;
    loaded->LoadFrom(written);
    if (RoundTripColumns(table, *loaded) != RoundTripColumns(table, initial)) {
      Fail("initial values do not survive WriteColumns and LoadFrom");
    }
    if (loaded->HasChanges()) Fail("LoadFrom records changes");

    // Sample values load under the load names and survive CopyTo and Clone.
    CKeyValueData samples;
    for (size_t i = 0; i < table.GetColumnCount(); ++i) {
      samples.SetValue(table.GetLoadName(i), SampleText(table.GetColumn(i).kind, i));
    }
    loaded->LoadFrom(samples);
    std::vector<CColumnValue> values = loaded->GetColumnValues();
    for (size_t i = 0; i < values.size() && i < table.GetColumnCount(); ++i) {
      if (values[i].GetValue() != SampleText(table.GetColumn(i).kind, i)) {
        Fail("column " + values[i].GetName() + " loads \"" + SampleText(table.GetColumn(i).kind, i) +
             "\" as \"" + values[i].GetValue() + "\"");
      }
    }
    RowPtr copy(CDBEntityFactory::CreateEntity(table_));
    loaded->CopyTo(copy.get());
    if (copy->GetColumnValues() != values) Fail("CopyTo does not copy every column");
    RowPtr clone(loaded->Clone());
    if (!clone || clone->GetColumnValues() != values) Fail("Clone does not copy every column");
    // Through the JSON form, whose reader gives the value names in lower case.
    CSerializationInfo node;
    loaded->Serialize(node);
    std::string json;
    RowPtr read(CDBEntityFactory::CreateEntity(table_));
    if (!CJsonSerializer::Serialize(node, &json) || !CJsonSerializer::Deserialize(json, read.get()) ||
        RoundTripColumns(table, *read) != RoundTripColumns(table, *loaded)) {
      Fail("loaded values do not survive Serialize and Deserialize through JSON");
    }
  }

  std::string table_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> CheckRowClass(const std::string& tableName) {
  Checker checker(tableName);
  checker.Run();
  return checker.TakeProblems();
}

std::vector<std::string> CheckRegisteredRowClasses() {
  std::vector<std::string> problems;
  for (const std::string& name : CDBEntityFactory::GetDuplicateRegistrations()) {
    problems.push_back(name + ": registered more than once");
  }
  for (const std::string& name : CDBEntityFactory::GetTableNames()) {
    std::vector<std::string> found = CheckRowClass(name);
    problems.insert(problems.end(), found.begin(), found.end());
  }
  return problems;
}
