// CSystemSettingManager: the system-wide settings (TBL_SystemSettings), every
// row of the table, with the named settings the system writes.
#pragma once

#include <string>

#include "database/SettingManager.h"

class CSystemSettingManager : public CSettingManager {
 public:
  explicit CSystemSettingManager(IDataStore* store = nullptr) : CSettingManager(store) {}
  CSystemSettingManager(const CSystemSettingManager& other) = default;

  const char* GetTableName() const override { return "TBL_SystemSettings"; }
  CDBEntity* NewSettingEntity() override;

  bool SetZmsSyncAddress(const std::string& address) { return SetString(1, "ZmsSyncAddress", address); }
  bool SetZmsSyncUser(const std::string& user) { return SetString(1, "ZmsSyncUser", user); }
  // `password` comes already enciphered with the string cipher.
  bool SetZmsSyncPassword(const std::string& password) { return SetString(1, "ZmsSyncPassword", password); }
  // Over a client data store its own switch; otherwise the setting
  // (1, "SupportNewDeviceGroupPermission"), false when missing or empty.
  bool GetSupportNewDeviceGroupPermission();
};
