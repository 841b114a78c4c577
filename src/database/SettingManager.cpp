#include "database/SettingManager.h"

#include "database/IDataStore.h"
#include "entities/base/SettingEntity.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

CSettingManager::CSettingManager(IDataStore* store) : store_(store) {}

CSettingManager::CSettingManager(const CSettingManager& other) : ISettingManager() {
  CScopedLock hold(other.lock_);
  store_ = other.store_;
  ownerFilter_ = other.ownerFilter_;
  index_ = other.index_;
  loadedVersion_ = other.loadedVersion_;
}

CSettingManager::~CSettingManager() = default;

int CSettingManager::GetOwnerFilter() {
  CScopedLock hold(lock_);
  return ownerFilter_;
}

void CSettingManager::SetOwnerFilter(int owner) {
  CScopedLock hold(lock_);
  ownerFilter_ = owner;
}

IDataStore* CSettingManager::GetDataStore() {
  CScopedLock hold(lock_);
  return store_;
}

void CSettingManager::AttachStore(IDataStore* store) {
  CScopedLock hold(lock_);
  if (store_ == store) return;
  store_ = store;
  index_.clear();
  loadedVersion_ = 0;
}

void CSettingManager::Load() {
  CScopedLock hold(lock_);
  EntityMap rows;
  if (store_) rows = store_->GetCachedEntityList(GetTableName());
  IndexRows(rows);
}

void CSettingManager::IndexRows(const EntityMap& rows) {
  CScopedLock hold(lock_);
  index_.clear();
  for (const auto& [id, row] : rows) {
    auto* setting = dynamic_cast<ISettingEntity*>(row.get());
    if (!setting) continue;
    if (ownerFilter_ != 0 && setting->GetOwnerID() != ownerFilter_) continue;
    CDBEntity* copy = row->Clone();
    if (!copy) continue;
    index_[setting->GetCategory()][id] = EntityPtr(copy);
  }
}

EntityPtr CSettingManager::FindSetting(int category, const std::string& key) {
  CScopedLock hold(lock_);
  const int current = store_ ? store_->GetTableVersion(GetTableName()) : 0;
  if (loadedVersion_ == 0 || loadedVersion_ < current) {
    Load();
    loadedVersion_ = current;
  }
  auto it = index_.find(category);
  if (it == index_.end()) return nullptr;
  for (const auto& [id, row] : it->second) {
    auto* setting = dynamic_cast<ISettingEntity*>(row.get());
    if (setting && StrEqualNoCase(setting->GetKey(), key)) return row;
  }
  return nullptr;
}

std::string CSettingManager::GetSettingText(int category, const std::string& key) {
  EntityPtr row = FindSetting(category, key);
  auto* setting = dynamic_cast<ISettingEntity*>(row.get());
  return setting ? setting->GetValue() : std::string();
}

bool CSettingManager::SetSetting(int category, const std::string& key, const std::string& value) {
  CScopedLock hold(lock_);
  EntityPtr row = FindSetting(category, key);
  if (auto* setting = dynamic_cast<ISettingEntity*>(row.get())) {
    setting->SetValue(value);
    if (store_ && !store_->UpdateEntity(row.get(), 0)) {
      GATE_LOG(1, "ERROR - Error raised when update '%s' setting.\r\n", key.c_str());
      return false;
    }
    return true;
  }
  std::unique_ptr<CDBEntity> created(NewSettingEntity());
  auto* setting = dynamic_cast<ISettingEntity*>(created.get());
  if (!setting) return false;
  setting->SetCategory(category);
  setting->SetKey(key);
  setting->SetValue(value);
  if (store_ && !store_->AddEntity(created.get(), 0)) {
    GATE_LOG(1, "ERROR - Error raised when add '%s' setting.\r\n", key.c_str());
    return false;
  }
  return true;
}

bool CSettingManager::SetInt(int category, const std::string& key, int value) {
  return SetSetting(category, key, SettingLongText(value));
}

