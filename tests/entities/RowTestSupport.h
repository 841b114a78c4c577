// What the row tests of the core and analysis tables share: key/value rows,
// a recorder of change notifications, and the table of facts that every row
// class is checked against.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "entities/base/DBEntity.h"
#include "entities/base/DBEntityFactory.h"

// A key/value row holding the given (name, text) pairs in order.
CKeyValueData KeyValues(std::initializer_list<std::pair<std::string, std::string>> values);

// Loads the given (name, text) pairs into `row` with LoadFrom.
void LoadValues(CDBEntity& row, std::initializer_list<std::pair<std::string, std::string>> values);

// A new row of the class registered under `table`.
std::unique_ptr<CDBEntity> NewRow(const std::string& table);

// The value text of column `name` in the row's column list; "<missing>" when absent.
std::string ColumnValueText(const CDBEntity& row, const std::string& name);

// A value text of the column's kind that differs from column to column
// (`index` is the column's position) and from the defaults; texts carry an
// apostrophe and a backslash.
std::string SampleValue(const CColumnValue& column, size_t index);

// A new row of `table` with every column but an auto-increment key loaded
// with its SampleValue.
std::unique_ptr<CDBEntity> SampleRow(const char* table);

// Collects the column names a row notifies, in order.
class NotificationRecorder {
 public:
  explicit NotificationRecorder(CDBEntity& row);
  const std::vector<std::string>& Columns() const { return columns_; }

 private:
  static void OnChanged(CDBEntity* sender, const char* column, void* context);
  std::vector<std::string> columns_;
};

// Short names of the column kinds and relation modes for the tables of facts.
constexpr int kInt = kColumnKindInt;
constexpr int kStr = kColumnKindString;
constexpr int kBool = kColumnKindBool;
constexpr int kDouble = kColumnKindDouble;
constexpr int kFloat = kColumnKindFloat;
constexpr int kDateTime = kColumnKindDateTime;
constexpr int kDate = kColumnKindDate;
constexpr int kTime = kColumnKindTime;
constexpr int kU32 = kColumnKindUInt32;
constexpr int kU64 = kColumnKindUInt64;
constexpr int kDelete = kRelationModeDelete;
constexpr int kSetZero = kRelationModeSetZero;

// One column of a table's facts: position, name as the table writes it,
// kind and the value text of a new row.
struct ColumnFact {
  size_t index;
  const char* name;
  int kind;
  const char* initial;
};

// One relation of a table's facts.
struct RelationFact {
  const char* table;
  const char* column;
  int mode;
};

// The facts of one table: column count, first and last column names, key
// column and kind, flags, selected columns, and the relations in order.
struct TableFacts {
  const char* table;
  size_t columnCount;
  const char* firstColumn;
  const char* lastColumn;
  const char* keyColumn;
  bool autoIncrement;
  bool compositeKey;
  bool memoryOnly;
  bool excludedFromCache;
  std::vector<ColumnFact> columns;
  std::vector<RelationFact> relations;
  // Problems of CheckRowClass that the class has on purpose (a substring of
  // each such line), e.g. a column whose loader fits the text it is given.
  std::vector<std::string> departures = {};
};

// The test name of a TableFacts parameter: the table name with '_' as 'x'.
std::string TableFactsParamName(const ::testing::TestParamInfo<const TableFacts*>& info);

// Checks a new row of `facts.table` against the facts, and that the class
// keeps the rules of the row-class pattern (CheckRowClass).
void ExpectTableFacts(const TableFacts& facts);
