// The entity operations of the MariaDB adapter: the SQL text of find, add,
// update, delete, list and count, and result rows turned back into rows
// through the table-name registry. A column is written only when the loaded
// schema has its table and the column.
#include "database/MariaAdapter.h"

#include "database/PerformanceChecker.h"
#include "entities/base/DBEntity.h"
#include "entities/base/DBEntityFactory.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

const char* const kSoftDeleteFilter = " WHERE `IsDeleted` = 0 OR `IsDeleted` is NULL";
const char* const kSoftDeleteColumn = "isdeleted";

// "`name` = value" of one column, the value as an SQL literal of its kind.
std::string Assignment(const CColumnValue& column) {
  return "`" + column.GetName() + "` = " + column.GetSqlValueText();
}

// The key condition of a row with a single key column: the full 64-bit key
// where the row has one (not only its low 32 bits), else the 32-bit id.
std::string KeyCondition(const CDBEntity& entity) {
  std::string key = "`";
  key += StrOrEmpty(entity.GetKeyColumnName());
  key += "` = ";
  key += entity.HasInt64ID() ? std::to_string(entity.GetID64()) : std::to_string(entity.GetID());
  return key;
}

}  // namespace

// The columns of `entity` that an INSERT, an UPDATE or an all-columns condition
// writes: those `table` has, without an empty date or time, without the key
// column of an auto-increment key (`skip_auto_key`) and without the
// soft-delete column (`skip_soft_delete`).
std::vector<CColumnValue> CMariaAdapter::WrittenColumns(const CDBEntity& entity,
                                                        const CDBTableSchema& table,
                                                        bool skip_auto_key, bool skip_soft_delete) {
  std::vector<CColumnValue> written;
  const std::string key = StrOrEmpty(entity.GetKeyColumnName());
  const bool auto_key = skip_auto_key && !key.empty() && entity.IsAutoIncrementKey();
  for (CColumnValue& column : entity.GetColumnValues()) {
    if (!table.HasColumn(column.GetName())) continue;
    if (auto_key && StrEqualNoCase(column.GetName(), key)) continue;
    if (skip_soft_delete && StrEqualNoCase(column.GetName(), kSoftDeleteColumn)) continue;
    const int kind = column.GetKind();
    if ((kind == kColumnKindDateTime || kind == kColumnKindDate || kind == kColumnKindTime) &&
        column.GetValue().empty()) {
      continue;
    }
    written.push_back(std::move(column));
  }
  return written;
}

const CDBTableSchema* CMariaAdapter::SchemaTable(const char* function, const std::string& table,
                                                 bool log_unknown) {
  OperationHold hold(*this);
  GetDBSchema();
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  if (!schemaLoaded_) {
    WriteLog(site, 1, "ERROR - No statement on '%s' without the database schema.\r\n", table.c_str());
    return nullptr;
  }
  const CDBTableSchema* found = schema_.FindTable(table);
  if (!found && log_unknown) {
    WriteLog(site, 1, "ERROR - '%s' table is not in the database schema.\r\n", table.c_str());
  }
  return found;
}

bool CMariaAdapter::SendFromSchema(const char* function, const std::string& table, bool log_unknown,
                                   const StatementBuilder& build, std::string* sent) {
  OperationHold hold(*this);
  const CDBTableSchema* schema = SchemaTable(function, table, log_unknown);
  if (!schema || !build(*schema, sent)) return false;
  unsigned error_number = 0;
  bool ok = QueryLogged(function, *sent, &error_number);
  if (!ok && error_number == kErrorUnknownColumn && ReloadTableSchema(table)) {
    // The table changed under the running program: write the row as it is now.
    schema = SchemaTable(function, table, log_unknown);
    if (!schema || !build(*schema, sent)) return false;
    ok = QueryLogged(function, *sent);
  }
  if (ok) driftReloaded_.erase(StrToLower(table));
  return ok;
}

DBWriteResult CMariaAdapter::MatchedARow(const char* function, const std::string& statement) {
  if (client_ && client_->GetAffectedRows() > 0) return DBWriteResult::kWritten;
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  WriteLog(site, 1, "ERROR - No row matched the statement (%s).\r\n", statement.c_str());
  return DBWriteResult::kNoRowMatched;
}

bool CMariaAdapter::ReadEntities(const char* function, const char* table,
                                 const std::string& query, CPerformanceChecker* checker,
                                 const EntitySink& deliver, size_t max_rows) {
  OperationHold hold(*this);
  const std::string table_name = StrOrEmpty(table);
  ColumnIndex columns;
  CKeyValueData view(&columns, nullptr);  // one view, so the column positions are looked up once
  std::vector<EntityPtr> made;
  // The table's class, looked up once for all its rows.
  const EntityCreator create = CDBEntityFactory::GetEntityCreator(table_name);
  bool known = true;
  // Each row is loaded straight from the client library's buffer as it
  // arrives: no text of the result is copied except into the rows' members.
  // The rows are handed on only once the whole result has arrived, so a result
  // that breaks off part way gives the caller none.
  const bool read = QueryAndVisit(function, query, columns, [&](const CKeyValueData::Cell* cells, size_t count) {
    EntityPtr entity(create ? create() : nullptr);
    if (!entity) {
      known = false;  // a table that the registry does not know gives no rows
      return false;
    }
    view.SetCells(cells, count);
    entity->LoadFrom(view);
    made.push_back(std::move(entity));
    return made.size() < max_rows;
  });
  if (!read) return false;
  if (made.empty()) return known;
  if (checker) checker->Check();
  for (EntityPtr& entity : made) {
    if (!deliver(std::move(entity))) break;
  }
  if (checker) checker->Check();
  return known;
}

EntityPtr CMariaAdapter::FindEntity(const char* table, const char* condition) {
  return FindEntityEx(table, ("SELECT * FROM " + StrOrEmpty(table) + " WHERE " + StrOrEmpty(condition)).c_str());
}

EntityPtr CMariaAdapter::FindEntity(const char* table, const char* key_column, int id) {
  return FindEntityEx(
      table, ("SELECT * FROM " + StrOrEmpty(table) + " WHERE `" + StrOrEmpty(key_column) + "` = " +
              std::to_string(id)).c_str());
}

EntityPtr CMariaAdapter::FindEntityEx(const char* table, const char* query) {
  EntityPtr found;
  ReadEntities(
      "CMariaAdapter::FindEntityEx", table, StrOrEmpty(query), nullptr,
      [&](EntityPtr entity) {
        found = std::move(entity);
        return false;
      },
      1);  // the first row only
  return found;
}

bool CMariaAdapter::AddEntity(CDBEntity* entity) {
  return entity && AddEntityEx(entity, entity->GetTableName());
}

bool CMariaAdapter::AddEntityEx(CDBEntity* entity, const char* table) {
  if (!entity) return false;
  static const char* const kFunction = "CMariaAdapter::AddEntityEx";
  OperationHold hold(*this);
  const std::string table_name = StrOrEmpty(table);
  std::string sent;
  auto build = [&](const CDBTableSchema& schema, std::string* statement) {
    std::string names;
    std::string values;
    for (const CColumnValue& column : WrittenColumns(*entity, schema, true, false)) {
      if (!names.empty()) {
        names += ", ";
        values += ", ";
      }
      names += "`" + column.GetName() + "`";
      values += column.GetSqlValueText();
    }
    *statement = "INSERT INTO " + table_name + " (" + names + ") VALUES (" + values + ")";
    return true;
  };
  if (!SendFromSchema(kFunction, table_name, false, build, &sent)) return false;
  if (entity->HasKeyColumn() && entity->IsAutoIncrementKey()) {
    uint64_t id = GetInsertId();
    if (entity->HasInt64ID()) {
      entity->SetID64(id);
    } else {
      entity->SetID(static_cast<int>(id));
    }
  }
  return true;
}

DBWriteResult CMariaAdapter::UpdateEntity(CDBEntity* entity, const ColumnList* columns) {
  if (!entity) return false;
  return UpdateEntityEx(entity, entity->GetTableName(), columns);
}

DBWriteResult CMariaAdapter::UpdateEntity(CDBEntity* entity, const char* column) {
  ColumnList columns{StrOrEmpty(column)};
  return UpdateEntity(entity, &columns);
}

// A whole-row update (no column list) leaves the soft-delete column alone: the
// delete path owns it, and a copy read before another thread's delete must not
// bring the row back. A list that names the column writes it.
DBWriteResult CMariaAdapter::UpdateEntityEx(CDBEntity* entity, const char* table, const ColumnList* columns) {
  if (!entity || (!entity->HasKeyColumn() && !entity->HasCompositeKey())) return false;
  static const char* const kFunction = "CMariaAdapter::UpdateEntityEx";
  OperationHold hold(*this);
  const std::string table_name = StrOrEmpty(table);
  std::string sent;
  auto build = [&](const CDBTableSchema& schema, std::string* statement) {
    std::string assignments;
    for (const CColumnValue& column : WrittenColumns(*entity, schema, true, columns == nullptr)) {
      if (columns && std::find(columns->begin(), columns->end(), column.GetName()) == columns->end()) {
        continue;  // not in the caller's list (exact letter case)
      }
      if (!assignments.empty()) assignments += ", ";
      assignments += Assignment(column);
    }
    if (assignments.empty()) {
      const LogCallSite site{__FILE__, kFunction, __LINE__, nullptr};
      WriteLog(site, 1, "ERROR - No column of '%s' to update.\r\n", table_name.c_str());
      return false;
    }
    std::string where;
    if (entity->HasKeyColumn()) {
      where = KeyCondition(*entity);
    } else {
      where = Assignment(entity->GetCompositeKeyPart1()) + " AND " +
              Assignment(entity->GetCompositeKeyPart2());
    }
    *statement = "UPDATE " + table_name + " SET " + assignments + " WHERE " + where;
    return true;
  };
  if (!SendFromSchema(kFunction, table_name, true, build, &sent)) return false;
  return MatchedARow(kFunction, sent);
}

DBWriteResult CMariaAdapter::DeleteEntity(CDBEntity* entity, bool hard_delete) {
  if (!entity) return false;
  static const char* const kFunction = "CMariaAdapter::DeleteEntity";
  OperationHold hold(*this);
  const std::string table_name = StrOrEmpty(entity->GetTableName());
  std::string sent;
  auto build = [&](const CDBTableSchema& schema, std::string* statement) {
    std::string where;
    if (entity->HasKeyColumn()) {
      where = KeyCondition(*entity);
    } else {
      for (const CColumnValue& column : WrittenColumns(*entity, schema, false, false)) {
        if (!where.empty()) where += " AND ";
        where += Assignment(column);
      }
    }
    if (where.empty()) {
      const LogCallSite site{__FILE__, kFunction, __LINE__, nullptr};
      WriteLog(site, 1, "ERROR - No condition for a row of '%s'.\r\n", table_name.c_str());
      return false;
    }
    const bool soft = !hard_delete && schema.HasColumn(kSoftDeleteColumn);
    *statement = soft ? "UPDATE " + table_name + " SET `IsDeleted` = 1 WHERE " + where
                      : "DELETE FROM " + table_name + " WHERE " + where;
    return true;
  };
  if (!SendFromSchema(kFunction, table_name, true, build, &sent)) return false;
  return MatchedARow(kFunction, sent);
}

bool CMariaAdapter::ListStatement(const char* function, const char* table, const char* clause,
                                  std::string* statement) {
  *statement = "SELECT * FROM " + StrOrEmpty(table);
  if (!clause) {
    // Whether the rows marked deleted are left out depends on the schema: without it, no list.
    const CDBTableSchema* schema = SchemaTable(function, StrOrEmpty(table), false);
    if (!schemaLoaded_) return false;
    if (schema && schema->HasColumn(kSoftDeleteColumn)) *statement += kSoftDeleteFilter;
  } else if (*clause) {
    *statement += " ";
    *statement += clause;
  }
  return true;
}

bool CMariaAdapter::GetEntityList(const char* table, const char* clause, EntityCallback callback,
                                  void* context) {
  static const char* const kFunction = "CMariaAdapter::GetEntityList";
  OperationHold hold(*this);
  CPerformanceChecker checker("GetEntityList");
  std::string statement;
  if (!ListStatement(kFunction, table, clause, &statement)) return false;
  return ReadEntities(kFunction, table, statement, &checker, [&](EntityPtr entity) {
    return callback && callback(std::move(entity), context) != 0;
  });
}

bool CMariaAdapter::GetEntityList(const char* table, EntityMap64& entities) {
  return GetEntityList(table, nullptr, entities);
}

bool CMariaAdapter::GetEntityList(const char* table, EntityMap& entities) {
  return GetEntityList(table, nullptr, entities);
}

// The map forms of GetEntityList: the clause rule, then GetEntityListEx.
template <typename Map>
bool CMariaAdapter::ListEntityMap(const char* table, const char* clause, Map& entities) {
  OperationHold hold(*this);
  std::string statement;
  if (!ListStatement("CMariaAdapter::GetEntityListEx", table, clause, &statement)) {
    entities.clear();
    return false;
  }
  return GetEntityListEx(table, statement.c_str(), entities);
}

bool CMariaAdapter::GetEntityList(const char* table, const char* clause, EntityMap64& entities) {
  return ListEntityMap(table, clause, entities);
}

bool CMariaAdapter::GetEntityList(const char* table, const char* clause, EntityMap& entities) {
  return ListEntityMap(table, clause, entities);
}

bool CMariaAdapter::GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                                    void* context) {
  OperationHold hold(*this);
  CPerformanceChecker checker("GetEntityList");
  return ReadEntities("CMariaAdapter::GetEntityListEx", table, StrOrEmpty(query), &checker,
                      [&](EntityPtr entity) {
                        return callback && callback(std::move(entity), context) != 0;
                      });
}

// The map forms of GetEntityListEx: the map is emptied first, rows go in under `key`.
template <typename Map, typename KeyOf>
bool CMariaAdapter::ReadEntityMap(const char* table, const char* query, Map& entities, KeyOf key) {
  entities.clear();
  OperationHold hold(*this);
  CPerformanceChecker checker("GetEntityList - " + StrOrEmpty(table));
  return ReadEntities("CMariaAdapter::GetEntityListEx", table, StrOrEmpty(query), &checker,
                      [&](EntityPtr entity) {
                        // Rows mostly come in key order: each goes in at the
                        // end without a search. A repeated key keeps the last.
                        auto at = entities.emplace_hint(entities.end(), key(*entity), nullptr);
                        at->second = std::move(entity);
                        return true;
                      });
}

bool CMariaAdapter::GetEntityListEx(const char* table, const char* query, EntityMap64& entities) {
  return ReadEntityMap(table, query, entities, [](const CDBEntity& row) { return row.GetID64(); });
}

bool CMariaAdapter::GetEntityListEx(const char* table, const char* query, EntityMap& entities) {
  return ReadEntityMap(table, query, entities, [](const CDBEntity& row) { return row.GetID(); });
}

int CMariaAdapter::GetEntityCount(const char* table, const char* clause) {
  std::string statement = "SELECT COUNT(*) FROM " + StrOrEmpty(table);
  if (clause) {
    statement += ' ';
    statement += clause;
  }
  ColumnIndex columns;
  ResultRows rows;
  if (!QueryAndFetch("CMariaAdapter::GetEntityCount", statement, columns, rows)) return 0;
  if (rows.empty() || rows[0].empty()) return 0;
  return static_cast<int>(std::atol(rows[0][0].c_str()));
}
