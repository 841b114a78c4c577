#include "entities/base/DBEntity.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <string_view>
#include <type_traits>

#include "entities/base/DBEntityFactory.h"
#include "foundation/IDCreater.h"
#include "foundation/StringUtil.h"

namespace {

template <typename T>
T LoadNumber(const void* member) {
  return std::atomic_ref<T>(*const_cast<T*>(static_cast<const T*>(member))).load(std::memory_order_relaxed);
}

template <typename T>
void StoreNumber(void* member, T value) {
  std::atomic_ref<T>(*static_cast<T*>(member)).store(value, std::memory_order_relaxed);
}

// Calls `visit` with std::type_identity of the member type of `kind`.
template <typename Visit>
void VisitMemberType(ColumnKind kind, Visit&& visit) {
  switch (kind) {
    case kColumnKindInt:
    case kColumnKindBool:
      return visit(std::type_identity<int>());
    case kColumnKindUInt32:
      return visit(std::type_identity<uint32_t>());
    case kColumnKindUInt64:
      return visit(std::type_identity<uint64_t>());
    case kColumnKindFloat:
      return visit(std::type_identity<float>());
    case kColumnKindDouble:
      return visit(std::type_identity<double>());
    case kColumnKindString:
    case kColumnKindDateTime:
    case kColumnKindDate:
    case kColumnKindTime:
      return visit(std::type_identity<std::string>());
    case kColumnKindNone:
      return;
  }
}

// The value text of a column member; the caller holds the row lock.
std::string MemberText(ColumnKind kind, const void* member) {
  std::string text;
  VisitMemberType(kind, [&](auto type) {
    using T = typename decltype(type)::type;
    if constexpr (std::is_arithmetic_v<T>) {
      text = ColumnText(LoadNumber<T>(member));
    } else {
      text = *static_cast<const std::string*>(member);
    }
  });
  return text;
}

// The member value a loaded text gives (null: as empty).
template <typename T>
T ParseColumnText(const char* text);
template <>
int ParseColumnText<int>(const char* text) { return ParseIntColumnText(text); }
template <>
uint32_t ParseColumnText<uint32_t>(const char* text) { return ParseUInt32ColumnText(text); }
template <>
uint64_t ParseColumnText<uint64_t>(const char* text) { return ParseUInt64ColumnText(text); }
template <>
float ParseColumnText<float>(const char* text) { return ParseFloatColumnText(text); }
template <>
double ParseColumnText<double>(const char* text) { return ParseDoubleColumnText(text); }

// Sets a column member from a loaded text (null: as empty); the caller holds the row lock.
void LoadMember(ColumnKind kind, void* member, const std::string_view* text) {
  VisitMemberType(kind, [&](auto type) {
    using T = typename decltype(type)::type;
    if constexpr (std::is_arithmetic_v<T>) {
      if (!text) {
        StoreNumber(member, ParseColumnText<T>(nullptr));
        return;
      }
      // The number readers take a terminated text; a cell read in place has
      // none, so a short one is terminated on the stack (no allocation).
      char buffer[64];
      if (text->size() < sizeof buffer) {
        text->copy(buffer, text->size());
        buffer[text->size()] = '\0';
        StoreNumber(member, ParseColumnText<T>(buffer));
      } else {
        StoreNumber(member, ParseColumnText<T>(std::string(*text).c_str()));
      }
    } else {
      static_cast<std::string*>(member)->assign(text ? *text : std::string_view());
    }
  });
}

// Copies one column member; the caller holds both rows' row locks.
void CopyMember(ColumnKind kind, const void* from, void* to) {
  VisitMemberType(kind, [&](auto type) {
    using T = typename decltype(type)::type;
    if constexpr (std::is_arithmetic_v<T>) {
      StoreNumber(to, LoadNumber<T>(from));
    } else {
      *static_cast<std::string*>(to) = *static_cast<const std::string*>(from);
    }
  });
}

bool IsIntKind(ColumnKind kind) { return kind == kColumnKindInt || kind == kColumnKindBool; }

// The member of column `index` when the table has such a column of an int kind.
int* IntColumn(const CTableDescriptor& table, size_t index, const CDBEntity* row) {
  if (index >= table.GetColumnCount() || !IsIntKind(table.GetColumn(index).kind)) return nullptr;
  return static_cast<int*>(table.GetColumn(index).member(const_cast<CDBEntity*>(row)));
}

uint64_t* UInt64KeyColumn(const CTableDescriptor& table, const CDBEntity* row) {
  if (!table.HasInt64Key() || table.GetColumnCount() == 0 || table.GetColumn(0).kind != kColumnKindUInt64) {
    return nullptr;
  }
  return static_cast<uint64_t*>(table.GetColumn(0).member(const_cast<CDBEntity*>(row)));
}

}  // namespace

CDBEntity::CDBEntity(const CDBEntity& other)
    : INotifyPropertyChanged(other),
      storeNo_(other.storeNo_.load(std::memory_order_relaxed)),
      ownerStore_(other.ownerStore_.load(std::memory_order_relaxed)) {
  CScopedLock hold(other.entityLock_);
  changes_ = other.changes_;
}

CDBEntity::~CDBEntity() = default;

const char* CDBEntity::GetTableName() const { return GetTableDescriptor().GetTableName(); }

const char* CDBEntity::GetKeyColumnName() const { return GetTableDescriptor().GetKeyColumnName(); }

bool CDBEntity::HasKeyColumn() const {
  const char* name = GetKeyColumnName();
  return name != nullptr && *name != '\0';
}

bool CDBEntity::IsAutoIncrementKey() const { return GetTableDescriptor().IsAutoIncrement(); }

bool CDBEntity::HasCompositeKey() const { return GetTableDescriptor().GetKeyKind() == EntityKeyKind::kComposite; }

CColumnValue CDBEntity::GetCompositeKeyPart1() const {
  const CTableDescriptor& table = GetTableDescriptor();
  const int* member = IntColumn(table, 0, this);
  if (table.GetKeyKind() != EntityKeyKind::kComposite || !member) return CColumnValue();
  return CColumnValue(table.GetColumn(0).name, ColumnText(ReadColumn(*member)), kColumnKindInt);
}

CColumnValue CDBEntity::GetCompositeKeyPart2() const {
  const CTableDescriptor& table = GetTableDescriptor();
  const int* member = IntColumn(table, 1, this);
  if (table.GetKeyKind() != EntityKeyKind::kComposite || !member) return CColumnValue();
  return CColumnValue(table.GetColumn(1).name, ColumnText(ReadColumn(*member)), kColumnKindInt);
}

bool CDBEntity::IsExcludedFromCache() const { return GetTableDescriptor().HasFlag(kEntityExcludedFromCache); }

bool CDBEntity::IsMemoryOnly() const { return GetTableDescriptor().HasFlag(kEntityMemoryOnly); }

std::vector<CRelationInfo> CDBEntity::GetRelationInfos() const { return {}; }

int CDBEntity::GetID() const {
  const CTableDescriptor& table = GetTableDescriptor();
  if (table.HasHiddenRowId()) return ReadColumn(*table.HiddenRowId(const_cast<CDBEntity*>(this)));
  if (table.HasInt64Key()) {
    const uint64_t* key = UInt64KeyColumn(table, this);
    return key ? static_cast<int>(static_cast<uint32_t>(ReadColumn(*key))) : 0;
  }
  const int* key = IntColumn(table, 0, this);
  return key ? ReadColumn(*key) : 0;
}

void CDBEntity::SetID(int id) {
  const CTableDescriptor& table = GetTableDescriptor();
  if (table.HasHiddenRowId()) {
    AssignColumn(table.HiddenRowId(this), id);
  } else if (table.HasInt64Key()) {
    if (uint64_t* key = UInt64KeyColumn(table, this)) {
      WriteColumn(table.GetColumn(0).name, table.GetColumn(0).options, key,
                  static_cast<uint64_t>(static_cast<int64_t>(id)));
    }
  } else if (int* key = IntColumn(table, 0, this)) {
    WriteColumn(table.GetColumn(0).name, table.GetColumn(0).options, key, id);
  }
}

std::vector<CColumnValue> CDBEntity::GetColumnValues() const {
  const CTableDescriptor& table = GetTableDescriptor();
  std::vector<CColumnValue> values;
  values.reserve(table.GetColumnCount());
  CScopedLock hold(rowLock_);
  for (size_t i = 0; i < table.GetColumnCount(); ++i) {
    const CColumnDescriptor& column = table.GetColumn(i);
    values.emplace_back(column.name, MemberText(column.kind, column.member(const_cast<CDBEntity*>(this))),
                        column.kind);
  }
  return values;
}

void CDBEntity::WriteColumns(CKeyValueData& row) const {
  for (const CColumnValue& value : GetColumnValues()) row.SetValue(StrToLower(value.GetName()), value.GetValue());
}

void CDBEntity::LoadFrom(CKeyValueData& row) {
  const CTableDescriptor& table = GetTableDescriptor();
  CScopedLock hold(rowLock_);
  const std::vector<int>& positions = row.ResolveNames(
      &table, table.GetLookupNameCount(), [&](size_t i) -> const std::string& { return table.GetLookupName(i); });
  const size_t columnCount = table.GetColumnCount();
  auto load = [&](size_t column, int position) {
    if (position < 0) return;
    std::string_view text;
    const bool inRow = row.GetText(static_cast<size_t>(position), &text);
    const CColumnDescriptor& descriptor = table.GetColumn(column);
    LoadMember(descriptor.kind, descriptor.member(this), inRow ? &text : nullptr);
  };
  for (size_t i = 0; i < columnCount && i < positions.size(); ++i) load(i, positions[i]);
  // A column the row lacks under its load name, read under its legacy name.
  for (size_t k = 0; k < table.GetLegacyColumnCount() && columnCount + k < positions.size(); ++k) {
    const size_t column = table.GetLegacyColumn(k);
    if (positions[column] < 0) load(column, positions[columnCount + k]);
  }
}

void CDBEntity::CopyTo(CDBEntity* target) const {
  if (target == nullptr || target == this) return;
  const CTableDescriptor& table = GetTableDescriptor();
  if (&target->GetTableDescriptor() != &table) return;
  // Both row locks, always the lower address first, so two copies in opposite
  // directions cannot wait on each other.
  const bool thisFirst = std::less<const CDBEntity*>()(this, target);
  CScopedLock first(thisFirst ? rowLock_ : target->rowLock_);
  CScopedLock second(thisFirst ? target->rowLock_ : rowLock_);
  CDBEntity* source = const_cast<CDBEntity*>(this);
  for (size_t i = 0; i < table.GetColumnCount(); ++i) {
    const CColumnDescriptor& column = table.GetColumn(i);
    CopyMember(column.kind, column.member(source), column.member(target));
  }
  if (table.HasHiddenRowId() && !table.HasFlag(kEntityKeepHiddenRowIdOnCopy)) {
    StoreNumber(table.HiddenRowId(target), LoadNumber<int>(table.HiddenRowId(source)));
  }
}

int CDBEntity::GetStoreNo() const { return storeNo_.load(std::memory_order_relaxed); }

void CDBEntity::SetStoreNo(int storeNo) { storeNo_.store(storeNo, std::memory_order_relaxed); }

IEntityOwnerStore* CDBEntity::GetDataStore() const { return ownerStore_.load(std::memory_order_acquire); }

void CDBEntity::SetDataStore(IEntityOwnerStore* store) {
  ownerStore_.store(store, std::memory_order_release);
  if (store != nullptr) SetStoreNo(store->GetStoreId());
}

std::string CDBEntity::GetDisplayText() const { return std::string(); }

bool CDBEntity::HasInt64ID() const { return GetTableDescriptor().HasInt64Key(); }

uint64_t CDBEntity::GetID64() const {
  const CTableDescriptor& table = GetTableDescriptor();
  if (table.HasInt64Key()) {
    const uint64_t* key = UInt64KeyColumn(table, this);
    return key ? ReadColumn(*key) : 0;
  }
  return static_cast<uint64_t>(static_cast<int64_t>(GetID()));
}

void CDBEntity::SetID64(uint64_t id) {
  const CTableDescriptor& table = GetTableDescriptor();
  if (table.HasInt64Key()) {
    if (uint64_t* key = UInt64KeyColumn(table, this)) {
      WriteColumn(table.GetColumn(0).name, table.GetColumn(0).options, key, id);
    }
    return;
  }
  SetID(static_cast<int>(static_cast<uint32_t>(id)));
}

CDBEntity* CDBEntity::Clone() const {
  CDBEntity* copy = CDBEntityFactory::CreateEntity(GetTableName());
  if (copy != nullptr) CopyTo(copy);
  return copy;
}

std::string CDBEntity::GetOriginalValue(const std::string& column) const {
  CScopedLock hold(entityLock_);
  auto it = changes_.find(column);
  return it == changes_.end() ? std::string() : it->second;
}

bool CDBEntity::IsColumnChanged(const std::string& column) const {
  CScopedLock hold(entityLock_);
  return changes_.count(column) != 0;
}

bool CDBEntity::HasChanges() const {
  CScopedLock hold(entityLock_);
  return !changes_.empty();
}

void CDBEntity::ClearChanges() {
  CScopedLock hold(entityLock_);
  changes_.clear();
}

void* CDBEntity::GetInterface(const std::string& name) {
  (void)name;
  return nullptr;
}

const char* CDBEntity::GetTypeName() const { return GetTableName(); }

void CDBEntity::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTableName());
  for (const CColumnValue& value : GetColumnValues()) {
    if (!value.GetValue().empty()) node.AddValue(value.GetName(), value.GetValue());
  }
}

void CDBEntity::Deserialize(const CSerializationInfo& node) {
  CKeyValueData values;
  for (const CColumnValue& column : GetColumnValues()) {
    std::string name = StrToLower(column.GetName());
    int position = node.IndexOf(name);
    if (position >= 0) values.SetValue(name, node.GetValueAt(position));
  }
  LoadFrom(values);
}

std::vector<std::string> CDBEntity::GetChangedColumns() const {
  std::vector<std::string> names;
  CScopedLock hold(entityLock_);
  names.reserve(changes_.size());
  for (const auto& entry : changes_) names.push_back(entry.first);
  return names;
}

template <typename T>
void CDBEntity::SetNumberProperty(const char* column, T* member, T value) {
  std::atomic_ref<T> ref(*member);
  if (ref.load(std::memory_order_relaxed) == value) return;  // NaN is never equal
  T old = ref.exchange(value, std::memory_order_relaxed);
  if (old == value) return;  // another thread stored the same value first and recorded it
  RecordChange(column, ColumnText(old));
  RaisePropertyChanged(column);
}

void CDBEntity::SetIntProperty(const char* column, int* member, int value) {
  SetNumberProperty(column, member, value);
}

void CDBEntity::SetUIntProperty(const char* column, uint32_t* member, uint32_t value) {
  SetNumberProperty(column, member, value);
}

void CDBEntity::SetUInt64Property(const char* column, uint64_t* member, uint64_t value) {
  SetNumberProperty(column, member, value);
}

void CDBEntity::SetFloatProperty(const char* column, float* member, float value) {
  SetNumberProperty(column, member, value);
}

void CDBEntity::SetDoubleProperty(const char* column, double* member, double value) {
  SetNumberProperty(column, member, value);
}

void CDBEntity::SetStringProperty(const char* column, std::string* member, const std::string& value) {
  std::string old;
  {
    CScopedLock hold(rowLock_);
    if (*member == value) return;
    old = std::move(*member);
    *member = value;
  }
  RecordChange(column, std::move(old));
  RaisePropertyChanged(column);
}

void CDBEntity::RaisePropertyChanged(const char* column) { NotifySubscribers(this, column); }

void CDBEntity::RecordChange(const char* column, std::string oldText) {
  CScopedLock hold(entityLock_);
  changes_.try_emplace(column, std::move(oldText));
}

int CDBEntity::InitialHiddenRowId(const char* tableName, EntityKeyKind keyKind) {
  if (keyKind != EntityKeyKind::kComposite && keyKind != EntityKeyKind::kNone) return 0;
  return TakeIdFromSource(tableName, false);
}

int CDBEntity::TakeIdFromSource(const char* key, bool temporary) {
  return CIDCreater::GetInstance()->NextID(key, temporary);
}
