// The scratch installation database with its entity service, and the store's relation walk of a
// delete, so the row classes' keys, relations and column values can be taken
// through the real database layer.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/InstallationDatabaseTest.h"

class DatabaseRowTest : public InstallationDatabaseTest {
 protected:
  DatabaseRowTest() : InstallationDatabaseTest("entities_rows") {}

  // The row of `table` whose key column `keyColumn` is `id`, read from the database.
  EntityPtr Find(const char* table, const char* keyColumn, int id);
  // Every row of `table` that `clause` (with its WHERE) selects, soft-deleted ones included.
  EntityMap List(const char* table, const std::string& clause = "");
  // The text of `column` of the one row of `table` that `clause` selects;
  // "<n rows>" when it selects another number of rows.
  std::string OnlyRowValue(const char* table, const char* column, const std::string& clause = "");
  // Deletes `row` through an entity cache store over the service, which
  // first follows the row's relations depth first: the rows of mode-1
  // relations are deleted, those of mode-2 relations get their relation
  // column set to 0; then the row itself (soft where the table has
  // `IsDeleted`). False when any step fails.
  bool DeleteWithRelations(CDBEntity& row);
};
