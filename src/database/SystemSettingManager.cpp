#include "database/SystemSettingManager.h"

#include <new>

#include "database/IDataStore.h"
#include "database/InstallationSwitches.h"
#include "database/SettingRows.h"

CDBEntity* CSystemSettingManager::NewSettingEntity() { return new (std::nothrow) CTBLSystemSetting(); }

bool CSystemSettingManager::GetSupportNewDeviceGroupPermission() {
  IDataStore* store = GetDataStore();
  if (store && store->GetTypeName() == "ClientDataStore") {
    if (auto* switches = dynamic_cast<IInstallationSwitches*>(store)) {
      return switches->GetSupportNewDeviceGroupPermission() != 0;
    }
  }
  return GetBool(1, "SupportNewDeviceGroupPermission", false);
}
