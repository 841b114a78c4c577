// CDBColumnSchema: one column of a database table as the server describes it:
// name, SQL type text, and whether it is nullable, (part of) the primary key
// and filled by the database. No lock of its own: its table's lock guards it.
// Serialisable as one node "DBColumnSchema".
#pragma once

#include <string>

#include "foundation/SerializationInfo.h"

class CKeyValueData;

class CDBColumnSchema : public CSerializable {
 public:
  CDBColumnSchema() = default;
  ~CDBColumnSchema() override = default;
  CDBColumnSchema(const CDBColumnSchema&) = default;
  CDBColumnSchema& operator=(const CDBColumnSchema&) = default;

  // "DBColumnSchema".
  const char* GetTypeName() const override { return "DBColumnSchema"; }
  // Adds "field", "type", "isnullable", "isprimary", "isautoincrement" (flags "1"/"0").
  void Serialize(CSerializationInfo& node) const override;
  // Reads the values that the node has; absent ones leave their fields.
  void Deserialize(const CSerializationInfo& node) override;

  // Sets the fields from a row of a "SHOW COLUMNS" result (columns "field",
  // "type", "null", "key", "extra"), or from a row that carries the flags as
  // numbers ("isnullable", "isprimary", "isautoincrement"). Absent columns
  // leave their fields as they were.
  virtual void LoadFrom(CKeyValueData& row);

  const std::string& GetField() const { return field_; }
  void SetField(const std::string& field) { field_ = field; }
  const std::string& GetType() const { return type_; }
  void SetType(const std::string& type) { type_ = type; }
  int GetNullable() const { return nullable_; }
  void SetNullable(int nullable) { nullable_ = nullable ? 1 : 0; }
  int GetPrimary() const { return primary_; }
  void SetPrimary(int primary) { primary_ = primary ? 1 : 0; }
  int GetAutoIncrement() const { return autoIncrement_; }
  void SetAutoIncrement(int auto_increment) { autoIncrement_ = auto_increment ? 1 : 0; }

 private:
  std::string field_;
  std::string type_;
  int nullable_ = 1;
  int primary_ = 0;
  int autoIncrement_ = 0;
};
