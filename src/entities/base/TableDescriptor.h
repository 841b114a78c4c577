// The column list of a row class as data: one CColumnDescriptor per column and
// one CTableDescriptor per table (name, key, flags). RowClass.h builds both
// from a table's column list; the entity base, the registry, the schema text
// and the checks walk them instead of calling per-column code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "entities/base/ColumnValue.h"

class CDBEntity;

// How a table is keyed.
enum class EntityKeyKind {
  kAutoIncrement,    // int first column filled by the database on insert
  kPlain,            // int first column written like any column
  kAutoIncrement64,  // uint64 first column filled by the database
  kPlain64,          // uint64 first column written like any column
  kComposite,        // the first two (int) columns; rows carry a hidden row id
  kNone,             // no key; rows carry a hidden row id
};

// Flags of a table.
enum EntityTableFlag : uint32_t {
  kEntityNoFlags = 0,
  kEntityExcludedFromCache = 1u << 0,  // the store does not cache the table's rows
  kEntityMemoryOnly = 1u << 1,         // rows live only in the store's cache
  kEntityKeepHiddenRowIdOnCopy = 1u << 2,  // CopyTo leaves the target's hidden row id alone
};

// Per-column exceptions to the pattern, written as attributes of a column's
// line (combine with |).
enum EntityColumnFlag : uint32_t {
  kColumnNoChangeRecord = 1u << 0,    // the setter assigns: no change record, no notification
  kColumnIdFromSource = 1u << 1,      // initial value: next ID of the ID source under the table name
  kColumnTemporaryId = 1u << 2,       // ... a temporary ID (with kColumnIdFromSource)
  kColumnIrregularAccessor = 1u << 3, // the accessor name does not follow the naming rule on purpose
};

struct ColumnOptions {
  uint32_t flags = 0;
  const char* load_name = nullptr;    // name LoadFrom looks up; null: the column name in lower case
  const char* record_name = nullptr;  // name setters record and notify under; null: the column name
  int sql_length = 0;                 // text kinds: VARCHAR(n) for n > 0, TEXT for -1, default 0
  const char* legacy_name = nullptr;  // name LoadFrom falls back on when a row lacks the load name

  constexpr ColumnOptions operator|(const ColumnOptions& other) const {
    return ColumnOptions{flags | other.flags, other.load_name ? other.load_name : load_name,
                         other.record_name ? other.record_name : record_name,
                         other.sql_length ? other.sql_length : sql_length,
                         other.legacy_name ? other.legacy_name : legacy_name};
  }
};

// Attributes for a column's line.
namespace column {
inline constexpr ColumnOptions NoChangeRecord{kColumnNoChangeRecord};
inline constexpr ColumnOptions IdFromSource{kColumnIdFromSource};
inline constexpr ColumnOptions TemporaryIdFromSource{kColumnIdFromSource | kColumnTemporaryId};
inline constexpr ColumnOptions IrregularAccessor{kColumnIrregularAccessor};
inline constexpr ColumnOptions Text{0, nullptr, nullptr, -1};
constexpr ColumnOptions LoadAs(const char* name) { return ColumnOptions{0, name, nullptr, 0}; }
constexpr ColumnOptions RecordAs(const char* name) { return ColumnOptions{0, nullptr, name, 0}; }
constexpr ColumnOptions VarChar(int length) { return ColumnOptions{0, nullptr, nullptr, length}; }
// Rows of older databases carry the column under an earlier name: LoadFrom
// reads `name` when the row holds nothing under the column's load name.
constexpr ColumnOptions LegacyName(const char* name) { return ColumnOptions{0, nullptr, nullptr, 0, name}; }
}  // namespace column

struct CColumnDescriptor {
  const char* name;      // as the table spells it
  const char* accessor;  // Get<accessor> / Set<accessor>
  ColumnKind kind;
  ColumnOptions options;
  void* (*member)(CDBEntity* row);  // the column's member in a row of the class

  const char* RecordName() const { return options.record_name ? options.record_name : name; }
};

class CTableDescriptor {
 public:
  CTableDescriptor(const char* tableName, EntityKeyKind keyKind, const char* keyColumnName, uint32_t flags,
                   const CColumnDescriptor* columns, size_t columnCount, int* (*hiddenRowId)(CDBEntity* row));
  CTableDescriptor(const CTableDescriptor&) = delete;
  CTableDescriptor& operator=(const CTableDescriptor&) = delete;

  const char* GetTableName() const { return tableName_; }
  EntityKeyKind GetKeyKind() const { return keyKind_; }
  const char* GetKeyColumnName() const { return keyColumnName_; }
  uint32_t GetFlags() const { return flags_; }
  bool HasFlag(EntityTableFlag flag) const { return (flags_ & flag) != 0; }
  bool HasHiddenRowId() const {
    return keyKind_ == EntityKeyKind::kComposite || keyKind_ == EntityKeyKind::kNone;
  }
  bool HasInt64Key() const {
    return keyKind_ == EntityKeyKind::kAutoIncrement64 || keyKind_ == EntityKeyKind::kPlain64;
  }
  bool IsAutoIncrement() const {
    return keyKind_ == EntityKeyKind::kAutoIncrement || keyKind_ == EntityKeyKind::kAutoIncrement64;
  }

  size_t GetColumnCount() const { return columnCount_; }
  const CColumnDescriptor& GetColumn(size_t index) const { return columns_[index]; }
  // The name LoadFrom looks the column up under (lower case unless the column says otherwise).
  const std::string& GetLoadName(size_t index) const { return loadNames_[index]; }
  // The names LoadFrom resolves in a result row: the load name of every
  // column in column order, then the legacy name of each column that has one.
  // Entry GetColumnCount() + k stands for column GetLegacyColumn(k).
  size_t GetLookupNameCount() const { return lookupNames_.size(); }
  const std::string& GetLookupName(size_t index) const { return lookupNames_[index]; }
  size_t GetLegacyColumn(size_t k) const { return legacyColumns_[k]; }
  size_t GetLegacyColumnCount() const { return legacyColumns_.size(); }
  int* HiddenRowId(CDBEntity* row) const { return hiddenRowId_(row); }

 private:
  const char* tableName_;
  EntityKeyKind keyKind_;
  const char* keyColumnName_;
  uint32_t flags_;
  const CColumnDescriptor* columns_;
  size_t columnCount_;
  int* (*hiddenRowId_)(CDBEntity* row);
  std::vector<std::string> loadNames_;
  std::vector<std::string> lookupNames_;  // loadNames_, then the legacy names
  std::vector<size_t> legacyColumns_;     // the column of each legacy name
};

// "Get"/"Set" suffix that the naming rule gives a column: the name without its
// underscores, each underscore-separated part with its first letter in upper
// case ("zav_no" -> "ZavNo", "_order_" -> "Order", "UserMacAddressID" unchanged).
std::string AccessorSuffixFor(const std::string& columnName);
