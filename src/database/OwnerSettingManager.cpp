#include "database/OwnerSettingManager.h"

#include "database/IDataStore.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/base/SettingEntity.h"
#include "foundation/IDCreater.h"

COwnerSettingManager::COwnerSettingManager(const COwnerSettingManager& other)
    : CSettingManager(other), table_(other.table_) {
  CScopedLock hold(const_cast<COwnerSettingManager&>(other).GetLock());
  ownerId_ = other.ownerId_;
}

int COwnerSettingManager::GetOwnerID() {
  CScopedLock hold(GetLock());
  return ownerId_;
}

void COwnerSettingManager::SetOwnerID(int owner) {
  CScopedLock hold(GetLock());
  ownerId_ = owner;
}

void COwnerSettingManager::Load() {
  CScopedLock hold(GetLock());
  IDataStore* store = GetDataStore();
  if (ownerId_ <= 0 || !store) return;
  if (!store->FindCachedEntity(table_.owner_table, ownerId_)) return;
  IndexRows(store->GetRelatedEntityList(table_.owner_table, ownerId_, table_.settings_table,
                                        table_.owner_column));
}

CDBEntity* COwnerSettingManager::NewSettingEntity() {
  CDBEntity* row = CDBEntityFactory::CreateEntity(table_.settings_table);
  auto* setting = dynamic_cast<ISettingEntity*>(row);
  if (!setting) {
    delete row;
    return nullptr;
  }
  IDataStore* store = GetDataStore();
  if (table_.temporary_id_when_cache_only && store && store->IsCacheOnly()) {
    row->SetID(CIDCreater::GetInstance()->NextID(table_.settings_table, true));
  }
  setting->SetOwnerID(GetOwnerID());
  return row;
}
