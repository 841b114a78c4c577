// The look-ups of a row through the entity store that owns it. Rows keep their
// owner as the row base's owner interface; navigation needs the whole store
// interface, and answers "nothing" for a free row, a zero link, a missing row
// or a row of another class. Nothing here queries the database itself: the
// store loads a table into its cache on first use.
#pragma once

#include <memory>

#include "database/IDataStore.h"
#include "entities/base/DBEntity.h"

// The store that owns `row`; null for a free row (or an owner that is no
// entity store).
inline IDataStore* GetOwnerDataStore(const CDBEntity& row) {
  return dynamic_cast<IDataStore*>(row.GetDataStore());
}

// The cached row of `table` with key `id` in the owner store of `row`, as a
// `Row`; null when `id` is 0, `row` has no store, no such row is cached or the
// cached row is not a `Row`. Takes the store's locks.
template <class Row>
std::shared_ptr<Row> FindOwnerCachedRow(const CDBEntity& row, const char* table, int id) {
  if (id == 0) return nullptr;
  IDataStore* store = GetOwnerDataStore(row);
  if (store == nullptr) return nullptr;
  return std::dynamic_pointer_cast<Row>(store->FindCachedEntity(table, id));
}

// The first row of `rows` (the lowest key) that is a `Row`; null when none.
template <class Row>
std::shared_ptr<Row> FirstRowOf(const EntityMap& rows) {
  for (auto& [id, row] : rows) {
    if (auto typed = std::dynamic_pointer_cast<Row>(row)) return typed;
  }
  return nullptr;
}

// The cached rows of `relatedTable` whose `column` holds the key of `row`, by
// key; empty without an owner store. Takes the store's locks.
inline EntityMap GetOwnerRelatedRows(const CDBEntity& row, const char* relatedTable, const char* column) {
  IDataStore* store = GetOwnerDataStore(row);
  if (store == nullptr) return {};
  return store->GetRelatedEntityList(row.GetTableName(), row.GetID(), relatedTable, column);
}
