// The row-class pattern: one column list per table gives the members, the
// virtual Get<Name>/Set<Name> accessors, the copy constructor and the column
// descriptors that GetColumnValues, LoadFrom, CopyTo, serialisation, the schema
// text and the checks walk. A table is then its column list, its key and flags,
// its relations and only the logic that is its own.
//
/* Declaring a table: TBL_NasStorage as src/entities/NasStorage.h declares it
   (a test holds the two the same).

  #include "entities/base/RowClass.h"

  // Kind, column name as the table spells it, accessor suffix, initial value,
  // then any attributes of the column (see below).
  #define TBL_NAS_STORAGE_COLUMNS(C)                          \
    C(Int, "NasStorageID", NasStorageID, 0)                   \
    C(Int, "ZavID", ZavID, 0, column::LegacyName("nrsid"))   \
    C(String, "NasStorageName", NasStorageName, "")           \
    C(Int, "FileSystemKind", FileSystemKind, 0)               \
    C(String, "MountPath", MountPath, "")                     \
    C(String, "NasAddress", NasAddress, "")                   \
    C(String, "NasUserName", NasUserName, "")                 \
    C(String, "NasUserPassword", NasUserPassword, "")         \
    C(Bool, "IsDeleted", IsDeleted, 0)

  class CTBLNasStorageBase : public CDBEntity {
    GATE_ENTITY_TABLE(CTBLNasStorageBase, "TBL_NasStorage", TBL_NAS_STORAGE_COLUMNS, AutoIncrement, "NasStorageID",
                      kEntityNoFlags)
  };

  class CTBLNasStorage : public CTBLNasStorageBase {};

and in its source file, at namespace scope:

  GATE_REGISTER_ENTITY(CTBLNasStorage);

A table whose deletes reach other tables lists them after GATE_ENTITY_TABLE,
as TBL_FailoverHistories does (src/entities/operations/FailoverHistory.h):

    GATE_ENTITY_RELATIONS({"TBL_FailoverConnections", "FailoverHistoryID", 0, kRelationModeDelete})

and the final class adds the row's own logic (navigation, display text).
*/
//
// What that gives:
// - members m_<Suffix> (protected) with their initial values; a hidden row id
//   for keyless and two-column-key tables, taken from the ID source under the
//   table name when the row is built;
// - `virtual <type> Get<Suffix>() const` and `virtual void Set<Suffix>(<type>)`
//   per column, in column order; setters record the first change and notify;
//   text getters return a copy taken under the row lock;
// - a default constructor and a copy constructor that copies the entity base
//   (fresh locks) and every column while holding the source's row lock;
// - kTableName, kKeyKind, Descriptor() and GetTableDescriptor(), from which the
//   entity base answers GetTableName, the key operations, the flags,
//   GetColumnValues, LoadFrom, CopyTo, Clone and the schema text.
//
// Kinds and member types: Int, Bool (int 0/1), UInt32, UInt64, Float, Double,
// String, DateTime, Date, Time (std::string).
// Keys (fifth argument; the key column is the first column): AutoIncrement,
// Plain, AutoIncrement64, Plain64 (uint64 first column), Composite (first two
// int columns; key name ""), None (key name ""). The key name given may differ
// from the column's spelling in letter case only.
// Flags: kEntityExcludedFromCache, kEntityMemoryOnly,
// kEntityKeepHiddenRowIdOnCopy, joined with |.
// Column attributes (joined with |): column::LoadAs("name") (LoadFrom reads
// that name instead of the lower-case column name), column::LegacyName("name")
// (LoadFrom reads that name when the row lacks the column's own), column::RecordAs("Name")
// (the setter records and notifies under that name), column::NoChangeRecord
// (the setter only assigns), column::IdFromSource / TemporaryIdFromSource
// (initial value from the ID source under the table name),
// column::IrregularAccessor (the suffix departs from the naming rule on
// purpose), column::VarChar(n) / column::Text (schema type of a text column).
//
// Rules that keep the pattern sound:
// - The accessor suffix follows the naming rule (AccessorSuffixFor) unless the
//   column says IrregularAccessor; CheckRowClass (RowClassCheck.h) verifies it.
// - Members that belong to the row's state but are not columns go into the
//   final class, whose implicit copy constructor copies them; a final class
//   that must copy them in CopyTo overrides it and calls the Base's CopyTo.
// - Code of the row class reads its own text members under GetRowLock() or
//   through the getters.
#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "entities/base/DBEntity.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/base/RelationInfo.h"
#include "entities/base/TableDescriptor.h"

// Member, value and parameter types of each column kind.
template <ColumnKind K>
struct ColumnTraits;
template <>
struct ColumnTraits<kColumnKindInt> {
  using Member = int;
  using Param = int;
};
template <>
struct ColumnTraits<kColumnKindBool> : ColumnTraits<kColumnKindInt> {};
template <>
struct ColumnTraits<kColumnKindUInt32> {
  using Member = uint32_t;
  using Param = uint32_t;
};
template <>
struct ColumnTraits<kColumnKindUInt64> {
  using Member = uint64_t;
  using Param = uint64_t;
};
template <>
struct ColumnTraits<kColumnKindFloat> {
  using Member = float;
  using Param = float;
};
template <>
struct ColumnTraits<kColumnKindDouble> {
  using Member = double;
  using Param = double;
};
template <>
struct ColumnTraits<kColumnKindString> {
  using Member = std::string;
  using Param = const std::string&;
};
template <>
struct ColumnTraits<kColumnKindDateTime> : ColumnTraits<kColumnKindString> {};
template <>
struct ColumnTraits<kColumnKindDate> : ColumnTraits<kColumnKindString> {};
template <>
struct ColumnTraits<kColumnKindTime> : ColumnTraits<kColumnKindString> {};

#define GATE_ROW_OPTIONS_(...) (ColumnOptions{} __VA_OPT__(| __VA_ARGS__))
#define GATE_ROW_MEMBER_TYPE_(Kind) ColumnTraits<kColumnKind##Kind>::Member

#define GATE_ROW_DESCRIPTOR_(Kind, Name, Suffix, Initial, ...)                                     \
  CColumnDescriptor{Name, #Suffix, kColumnKind##Kind, GATE_ROW_OPTIONS_(__VA_ARGS__),              \
                    [](CDBEntity* row) -> void* { return &static_cast<GateRowSelf_*>(row)->column##Suffix##_; }},

#define GATE_ROW_ACCESSORS_(Kind, Name, Suffix, Initial, ...)                                      \
  virtual GATE_ROW_MEMBER_TYPE_(Kind) Get##Suffix() const { return ReadColumn(column##Suffix##_); }       \
  virtual void Set##Suffix(ColumnTraits<kColumnKind##Kind>::Param value) {                         \
    WriteColumn(Name, GATE_ROW_OPTIONS_(__VA_ARGS__), &column##Suffix##_, value);                          \
  }

#define GATE_ROW_MEMBER_(Kind, Name, Suffix, Initial, ...)                                         \
  GATE_ROW_MEMBER_TYPE_(Kind)                                                                       \
  column##Suffix##_ = CDBEntity::InitialColumnValue<GATE_ROW_MEMBER_TYPE_(Kind)>(                          \
      Initial, GATE_ROW_OPTIONS_(__VA_ARGS__), kTableName);

#define GATE_ROW_COPY_INIT_(Kind, Name, Suffix, Initial, ...) column##Suffix##_(CDBEntity::ReadHeldColumn(other.column##Suffix##_)),

// The table part of a row class (see the guide above). Leaves the class body
// in its public section.
#define GATE_ENTITY_TABLE(Class, TableName, COLUMNS, Key, KeyColumnName, Flags)                   \
 public:                                                                                          \
  using GateRowSelf_ = Class;                                                                     \
  static constexpr const char* kTableName = TableName;                                            \
  static constexpr EntityKeyKind kKeyKind = EntityKeyKind::k##Key;                                \
  Class() = default;                                                                              \
  Class(const Class& other) : Class(other, CDBEntity::CRowHold(other)) {}                         \
  Class& operator=(const Class&) = delete;                                                        \
  static const CTableDescriptor& Descriptor() {                                                   \
    static constexpr CColumnDescriptor kColumns[] = {COLUMNS(GATE_ROW_DESCRIPTOR_)};               \
    static const CTableDescriptor kTable(                                                         \
        kTableName, kKeyKind, KeyColumnName, (Flags), kColumns, sizeof(kColumns) / sizeof(kColumns[0]), \
        [](CDBEntity* row) -> int* { return &static_cast<GateRowSelf_*>(row)->gateHiddenRowId_; }); \
    return kTable;                                                                                \
  }                                                                                               \
  const CTableDescriptor& GetTableDescriptor() const override { return Descriptor(); }            \
  COLUMNS(GATE_ROW_ACCESSORS_)                                                                    \
                                                                                                  \
 protected:                                                                                       \
  COLUMNS(GATE_ROW_MEMBER_)                                                                       \
  int gateHiddenRowId_ = CDBEntity::InitialHiddenRowId(kTableName, kKeyKind);                    \
                                                                                                  \
 private:                                                                                         \
  Class(const Class& other, const CDBEntity::CRowHold&)                                           \
      : CDBEntity(other),                                                                         \
        COLUMNS(GATE_ROW_COPY_INIT_) gateHiddenRowId_(CDBEntity::ReadHeldColumn(other.gateHiddenRowId_)) {} \
                                                                                                  \
 public:

// GetRelationInfos of a row class: the relations in order, each
// {related table, relation column, 0, RelationMode}.
#define GATE_ENTITY_RELATIONS(...) \
  std::vector<CRelationInfo> GetRelationInfos() const override { return {__VA_ARGS__}; }

// Registers a final row class under its table name (at namespace scope in the
// class's source file; runs during static initialisation).
#define GATE_REGISTER_ENTITY(Class)                                                               \
  static const bool gate_entity_registered_##Class [[maybe_unused]] = CDBEntityFactory::Register( \
      Class::kTableName, []() -> CDBEntity* { return new (std::nothrow) Class(); }, &Class::Descriptor)
