// CDBTableSchema: one table of the database and its columns, looked up without
// regard to letter case (keys are the lower-case names; each column keeps its
// name as the server gave it). Copies get the data and a lock of their own.
// Serialisable as a node "DBTableSchema" with its columns under "DBColumns".
#pragma once

#include <list>
#include <map>
#include <string>

#include "database/DBColumnSchema.h"
#include "database/QueryResult.h"
#include "foundation/Lock.h"

class CDBTableSchema : public CSerializable {
 public:
  CDBTableSchema() = default;
  explicit CDBTableSchema(const std::string& name) : name_(name) {}
  ~CDBTableSchema() override = default;
  CDBTableSchema(const CDBTableSchema& other);
  // Copies the name, the columns and their order (the other's lock, then this one's, never both).
  CDBTableSchema& operator=(const CDBTableSchema& other);

  // "DBTableSchema".
  const char* GetTypeName() const override { return "DBTableSchema"; }
  // Adds "name" and a first child "DBColumns" (an array) holding the columns
  // in the byte order of their lower-case names. Takes the table lock.
  void Serialize(CSerializationInfo& node) const override;
  // Takes "name" when present and replaces every column with the children of
  // a first child named "DBColumns" (any letter case). Takes the table lock.
  void Deserialize(const CSerializationInfo& node) override;

  // A copy of the name as it was added.
  std::string GetName() const;
  void SetName(const std::string& name);

  // Whether the table has the column, compared without regard to letter case. Takes the table lock.
  bool HasColumn(const std::string& name) const;
  // A copy of the column, or false when there is none. Takes the table lock.
  bool GetColumn(const std::string& name, CDBColumnSchema* column) const;
  // Adds the column that `row` describes (CDBColumnSchema::LoadFrom over the
  // defaults), replacing one of the same name; its lower-case name is
  // appended to the column order. Takes the table lock.
  void AddColumn(CKeyValueData& row);
  // AddColumn for every row of one query result, in result order. Takes the table lock.
  void AddColumns(ColumnIndex& columns, ResultRows& rows);
  // The lower-case column names in the order they were added (a column added twice appears twice).
  std::list<std::string> GetColumnOrder() const;
  // Copies of the columns by lower-case name.
  std::map<std::string, CDBColumnSchema> GetColumns() const;
  // Removes every column. Takes the table lock.
  void ClearColumns();

 private:
  mutable CLock lock_;
  std::string name_ GUARDED_BY(lock_);
  std::map<std::string, CDBColumnSchema> columns_ GUARDED_BY(lock_);
  std::list<std::string> columnOrder_ GUARDED_BY(lock_);
};
