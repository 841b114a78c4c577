// CDBEntity: the base of every table row object. One object is one row of one
// database or live-status table. The base carries what is the same for all
// tables: change notification, the record of changed columns with their values
// from before the first change, the owner store, and the key and column
// operations through which the stores read, write and cache any row without
// knowing its class. Row classes are declared with RowClass.h; the generic
// operations walk the class's column list (GetTableDescriptor) and read the
// members directly, never through the virtual getters.
//
// Locks (all re-entrant):
// - the subscription lock (INotifyPropertyChanged) guards the subscribers;
// - the entity lock guards the change map;
// - the row lock guards the text columns, and is held for the whole of
//   GetColumnValues, LoadFrom, CopyTo (both rows, in address order) and a copy,
//   so a cached row shared between threads is never read half-copied.
// Numeric columns, the store number and the owner store are single words read
// and written atomically without a lock. Order: row lock, then entity lock;
// the subscription lock is never held with another base lock, and handlers run
// with no base lock held (a caller that holds the row lock keeps it).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "entities/base/ColumnValue.h"
#include "entities/base/EntityOwnerStore.h"
#include "entities/base/KeyValueData.h"
#include "entities/base/NotifyPropertyChanged.h"
#include "entities/base/RelationInfo.h"
#include "entities/base/TableDescriptor.h"
#include "foundation/Lock.h"
#include "foundation/SerializationInfo.h"

class CDBEntity : public INotifyPropertyChanged, public CSerializable {
 public:
  CDBEntity() = default;
  // Takes the source's subscribers, store number, owner store and change map,
  // with locks of its own. (Row classes copy their columns too, see RowClass.h.)
  CDBEntity(const CDBEntity& other);
  CDBEntity& operator=(const CDBEntity&) = delete;
  ~CDBEntity() override;

  // The column list, key and flags of the row's table.
  virtual const CTableDescriptor& GetTableDescriptor() const = 0;

  // The table name, e.g. "TBL_Camera"; never null.
  virtual const char* GetTableName() const;
  // Name of the single key column; "" for a keyless or two-column-key row.
  virtual const char* GetKeyColumnName() const;
  virtual bool HasKeyColumn() const;
  // The database fills the key on insert.
  virtual bool IsAutoIncrementKey() const;
  virtual bool HasCompositeKey() const;
  // {name, "%d" of the value, kind 1} of the first / second key column of a
  // two-column key; an empty value (kind 0) for other rows.
  virtual CColumnValue GetCompositeKeyPart1() const;
  virtual CColumnValue GetCompositeKeyPart2() const;
  // The store keeps no rows of the table in its cache (logs, histories).
  virtual bool IsExcludedFromCache() const;
  // The rows live only in the store's cache (live-status tables).
  virtual bool IsMemoryOnly() const;
  // The rows of other tables that depend on this row; empty by default.
  virtual std::vector<CRelationInfo> GetRelationInfos() const;
  // The key (for a 64-bit key its low 32 bits; for a keyless or two-column-key
  // row the hidden row id).
  virtual int GetID() const;
  // Sets the key through the first column's change-recording setter (widened
  // with its sign for a 64-bit key); the hidden row id is set plainly.
  virtual void SetID(int id);
  // Every column in column order with its value text and kind. Takes the row lock.
  virtual std::vector<CColumnValue> GetColumnValues() const;
  // Puts every column of GetColumnValues into `row` under its lower-case name.
  virtual void WriteColumns(CKeyValueData& row) const;
  // Sets every column whose load name `row` holds, or, lacking it, the legacy
  // name the column declares (a null or empty text gives 0 or ""); other
  // columns keep their values. Records no change, tells nobody. Takes the
  // row lock.
  virtual void LoadFrom(CKeyValueData& row);
  // Copies every column (and the hidden row id unless the table keeps it) into
  // `target`, a row of the same table; nothing happens for another table or a
  // null target. The target's subscribers, changes and store stay. Takes both
  // rows' row locks.
  virtual void CopyTo(CDBEntity* target) const;
  // The same copy under the name row code of other subsystems writes it:
  // this row into `target` (CopyTo). Row classes that copy more than their
  // columns override CopyTo, never this, so both names always agree.
  void CopyFrom(CDBEntity* target) const { CopyTo(target); }
  virtual int GetStoreNo() const;
  virtual void SetStoreNo(int storeNo);
  // The store that owns the row (not owned by the row); null for a free row.
  virtual IEntityOwnerStore* GetDataStore() const;
  // Sets the owner store and, when it is not null, the store number to its id.
  virtual void SetDataStore(IEntityOwnerStore* store);
  // A short text naming the row in logs and lists; "" by default.
  virtual std::string GetDisplayText() const;
  virtual bool HasInt64ID() const;
  // The key as a 64-bit value: the first column of a 64-bit key, else GetID
  // widened with its sign.
  virtual uint64_t GetID64() const;
  // Sets a 64-bit key through its setter; else SetID with the low 32 bits.
  virtual void SetID64(uint64_t id);
  // A new row of the same table (from the registry) holding this row's column
  // values, with no subscribers, changes or store; the caller owns it. Null
  // when the registry has no class for the table.
  virtual CDBEntity* Clone() const;
  // The column's value text from before its first recorded change; "" when it
  // has none. Takes the entity lock.
  virtual std::string GetOriginalValue(const std::string& column) const;
  virtual bool IsColumnChanged(const std::string& column) const;
  virtual bool HasChanges() const;
  // Forgets every recorded change. Takes the entity lock.
  virtual void ClearChanges();
  // The named extra interface of the row (exact name), or null.
  virtual void* GetInterface(const std::string& name);

  // The row as a serialisable record: the type name is the table name.
  const char* GetTypeName() const override;
  // Names the node after the table and adds, in column order, every column
  // whose value text is not empty under its name as the table spells it
  // (numbers are always written; empty texts are left out).
  void Serialize(CSerializationInfo& node) const override;
  // Loads (LoadFrom) every column whose lower-case name the node holds as a
  // value (names compared exactly, as the text readers deliver them in lower
  // case); other columns keep their values. Records no change.
  void Deserialize(const CSerializationInfo& node) override;

  // The names of the recorded changes, in byte order. Takes the entity lock.
  std::vector<std::string> GetChangedColumns() const;

 protected:
  // The change-recording setters of the columns: an equal value changes
  // nothing; otherwise the member takes the value, the old value's text is
  // recorded unless the column already has a record, and the subscribers are
  // told (with no base lock held). Float and double NaN always count as a change.
  void SetIntProperty(const char* column, int* member, int value);
  void SetStringProperty(const char* column, std::string* member, const std::string& value);
  void SetFloatProperty(const char* column, float* member, float value);
  void SetUIntProperty(const char* column, uint32_t* member, uint32_t value);
  void SetDoubleProperty(const char* column, double* member, double value);
  void SetUInt64Property(const char* column, uint64_t* member, uint64_t value);
  // Tells every subscriber that `column` changed.
  void RaisePropertyChanged(const char* column);

  // The row lock (see above); row classes hold it around their own text members.
  CLock& GetRowLock() const { return rowLock_; }

 public:
  // ---- Used by the code that RowClass.h generates; not for callers. ----

  // Holds a row's row lock for the lifetime of the object (the copy constructor
  // of a row class delegates through one).
  class CRowHold {
   public:
    explicit CRowHold(const CDBEntity& row) : hold_(row.rowLock_) {}

   private:
    CScopedLock hold_;
  };

  // A column's initial value: `value`, or the next ID of the ID source under
  // the table name when the column says so.
  template <typename T, typename V>
  static T InitialColumnValue(const V& value, const ColumnOptions& options, const char* tableName) {
    if constexpr (std::is_arithmetic_v<T>) {
      if (options.flags & kColumnIdFromSource) {
        return static_cast<T>(TakeIdFromSource(tableName, (options.flags & kColumnTemporaryId) != 0));
      }
    }
    return T(value);
  }
  // The hidden row id of a new row: the next ID under the table name for a
  // keyless or two-column-key table, else 0.
  static int InitialHiddenRowId(const char* tableName, EntityKeyKind keyKind);

  // Column reads: numbers atomically, texts under the row lock.
  template <typename T>
  T ReadColumn(const T& member) const {
    if constexpr (std::is_arithmetic_v<T>) {
      return std::atomic_ref<T>(const_cast<T&>(member)).load(std::memory_order_relaxed);
    } else {
      CScopedLock hold(rowLock_);
      return member;
    }
  }
  // A column read while the caller holds the row's row lock (copy constructor).
  template <typename T>
  static T ReadHeldColumn(const T& member) {
    if constexpr (std::is_arithmetic_v<T>) {
      return std::atomic_ref<T>(const_cast<T&>(member)).load(std::memory_order_relaxed);
    } else {
      return member;
    }
  }
  // A column setter: the change-recording setter of the member's kind under the
  // column's record name, or a plain assignment for a column that records no change.
  template <typename T, typename V>
  void WriteColumn(const char* column, const ColumnOptions& options, T* member, const V& value) {
    if (options.flags & kColumnNoChangeRecord) {
      AssignColumn(member, T(value));
    } else {
      SetProperty(options.record_name ? options.record_name : column, member, value);
    }
  }

 private:
  void SetProperty(const char* column, int* member, int value) { SetIntProperty(column, member, value); }
  void SetProperty(const char* column, std::string* member, const std::string& value) {
    SetStringProperty(column, member, value);
  }
  void SetProperty(const char* column, float* member, float value) { SetFloatProperty(column, member, value); }
  void SetProperty(const char* column, uint32_t* member, uint32_t value) { SetUIntProperty(column, member, value); }
  void SetProperty(const char* column, double* member, double value) { SetDoubleProperty(column, member, value); }
  void SetProperty(const char* column, uint64_t* member, uint64_t value) {
    SetUInt64Property(column, member, value);
  }
  template <typename T>
  void AssignColumn(T* member, const T& value) {
    if constexpr (std::is_arithmetic_v<T>) {
      std::atomic_ref<T>(*member).store(value, std::memory_order_relaxed);
    } else {
      CScopedLock hold(rowLock_);
      *member = value;
    }
  }
  template <typename T>
  void SetNumberProperty(const char* column, T* member, T value);
  // Adds `oldText` under `column` unless the column has a record. Takes the entity lock.
  void RecordChange(const char* column, std::string oldText);
  // The next ID of the ID source under `key`.
  static int TakeIdFromSource(const char* key, bool temporary);

  mutable CLock rowLock_;
  std::atomic<int> storeNo_{0};
  std::atomic<IEntityOwnerStore*> ownerStore_{nullptr};
  mutable CLock entityLock_;
  std::map<std::string, std::string> changes_;  // guarded by entityLock_
};

// Rows by row id (CDBEntity::GetID) and by 64-bit key (CDBEntity::GetID64),
// as the stores hand them out.
using EntityMap = std::map<int, std::shared_ptr<CDBEntity>>;
using EntityMap64 = std::map<uint64_t, std::shared_ptr<CDBEntity>>;
