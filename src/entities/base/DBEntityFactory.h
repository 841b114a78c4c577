// CDBEntityFactory: the table-name registry. Turns a table name, in any letter
// case, into a new empty row of the class registered for it. Every final row
// class registers itself once, during static initialisation, with
// GATE_REGISTER_ENTITY (RowClass.h); the stores and Clone create rows through it.
#pragma once

#include <string>
#include <vector>

class CDBEntity;
class CTableDescriptor;

// Returns a new row of one class (the caller owns it), or null without memory.
using EntityCreator = CDBEntity* (*)();
// Returns the column list of one class (RowClass.h's Descriptor).
using EntityDescriber = const CTableDescriptor& (*)();

class CDBEntityFactory {
 public:
  // Enters `creator` (and the class's column list, when given) under the
  // lower-case `tableName`; a later registration of the same name replaces the
  // earlier one (and is remembered as a duplicate). Returns true. Safe from any
  // thread, but meant for static initialisation.
  static bool Register(const std::string& tableName, EntityCreator creator,
                       EntityDescriber describer = nullptr);

  // A new row of the class registered under `tableName` (letter case ignored),
  // owned by the caller; null for an empty or unregistered name. Never logs.
  static CDBEntity* CreateEntity(const std::string& tableName);
  // The creator registered under `tableName` (letter case ignored), or null:
  // for a reader that makes many rows of one table and looks the name up once.
  static EntityCreator GetEntityCreator(const std::string& tableName);

  // The column list registered under `tableName` (letter case ignored), or null.
  // Builds no row.
  static const CTableDescriptor* GetTableDescriptor(const std::string& tableName);

  // The registered names, lower case, in byte order.
  static std::vector<std::string> GetTableNames();

  // Lower-case names registered more than once (each entry a repeat).
  static std::vector<std::string> GetDuplicateRegistrations();
};
