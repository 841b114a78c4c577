// CDBSchema: the tables and columns of the database an adapter is connected
// to, looked up without regard to letter case. The MariaDB adapter fills it
// once from "SHOW TABLES" and "SHOW COLUMNS" and consults it while it writes SQL.
// Serialisable (JSON and XML text forms) as a node "DBSchema" with its tables
// under "DBTables".
#pragma once

#include <map>
#include <string>
#include <vector>

#include "database/DBTableSchema.h"
#include "foundation/Lock.h"

class CDBSchema : public CSerializable {
 public:
  CDBSchema() = default;
  ~CDBSchema() override = default;
  CDBSchema(const CDBSchema&) = delete;
  CDBSchema& operator=(const CDBSchema&) = delete;

  // "DBSchema".
  const char* GetTypeName() const override { return "DBSchema"; }
  // Adds "adaptertype", "name" and a first child "DBTables" (an array) holding
  // the tables in the byte order of their lower-case names. Takes the schema
  // lock, then each table's.
  void Serialize(CSerializationInfo& node) const override;
  // Takes "adaptertype" and "name" when present and replaces every table with
  // the children of a first child named "DBTables" (any letter case; a later
  // table of the same name replaces an earlier one). Takes the schema lock.
  void Deserialize(const CSerializationInfo& node) override;

  // The adapter type that filled it ("MARIADB") and the database name, as
  // copies. Take the schema lock (the schema is read by other threads while
  // its adapter reloads it).
  std::string GetAdapterType() const;
  void SetAdapterType(const std::string& type);
  std::string GetName() const;
  void SetName(const std::string& name);

  // The table held in the schema, or null. Takes the schema lock for the
  // look-up only: the pointer stays valid until the table is replaced or the
  // tables are cleared, which the owner must not let happen meanwhile.
  CDBTableSchema* FindTable(const std::string& name);
  const CDBTableSchema* FindTable(const std::string& name) const;
  bool HasTable(const std::string& name) const;
  // True when the table exists and has the column (both without regard to case).
  bool HasColumn(const std::string& table, const std::string& column) const;
  // Puts a new empty table under the lower-case name, replacing a table of
  // that name with all its columns. Returns the new table. Takes the schema lock.
  CDBTableSchema* AddTable(const std::string& name);
  // Removes every table. Takes the schema lock.
  void Clear();
  // Replaces everything with a copy of `other` (taken under the other's lock,
  // stored under this one's; never both at once).
  void CopyFrom(const CDBSchema& other);
  // The table names as they were added, in the byte order of their lower-case forms.
  std::vector<std::string> GetTableNames() const;

 private:
  mutable CLock lock_;
  std::string adapterType_ GUARDED_BY(lock_);
  std::string name_ GUARDED_BY(lock_);
  std::map<std::string, CDBTableSchema> tables_ GUARDED_BY(lock_);
};
