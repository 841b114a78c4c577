// The setting managers of one owner row: a recording server
// (CServerSettingManager), a user (CUserSettingManager), a camera
// (CDeviceSettingManager) and an analysis server (CVasSettingManager). Each
// indexes the rows of its table whose owner column holds its owner id, found
// through the store's relation index of the owner row. An owner id of 0, no
// store, or an owner row the store does not hold leaves the index as it was.
#pragma once

#include "database/SettingManager.h"

class COwnerSettingManager : public CSettingManager {
 public:
  int GetOwnerID();
  void SetOwnerID(int owner);

  // The owner's rows, when the store holds the owner row.
  void Load() override;
  // A new row of the table with the owner id set; in a cache-only store it
  // takes a temporary id under the table name (rows of the analysis-server
  // table excepted), so that it meets no database row.
  CDBEntity* NewSettingEntity() override;

 protected:
  struct OwnerTable {
    const char* settings_table;  // e.g. "TBL_DeviceSettings"
    const char* owner_table;     // e.g. "TBL_Camera"
    const char* owner_column;    // e.g. "DeviceID"
    bool temporary_id_when_cache_only;
  };
  COwnerSettingManager(const OwnerTable& table, IDataStore* store) : CSettingManager(store), table_(table) {}
  COwnerSettingManager(const COwnerSettingManager& other);

 public:
  const char* GetTableName() const override { return table_.settings_table; }

 private:
  const OwnerTable table_;
  int ownerId_ GUARDED_BY(GetLock()) = 0;
};

class CServerSettingManager : public COwnerSettingManager {
 public:
  explicit CServerSettingManager(IDataStore* store = nullptr)
      : COwnerSettingManager({"TBL_ServerSettings", "TBL_Zav", "ServerID", true}, store) {}
  CServerSettingManager(const CServerSettingManager& other) = default;
};

class CUserSettingManager : public COwnerSettingManager {
 public:
  explicit CUserSettingManager(IDataStore* store = nullptr)
      : COwnerSettingManager({"TBL_UserSettings", "TBL_User", "UserID", true}, store) {}
  CUserSettingManager(const CUserSettingManager& other) = default;
};

class CDeviceSettingManager : public COwnerSettingManager {
 public:
  explicit CDeviceSettingManager(IDataStore* store = nullptr)
      : COwnerSettingManager({"TBL_DeviceSettings", "TBL_Camera", "DeviceID", true}, store) {}
  CDeviceSettingManager(const CDeviceSettingManager& other) = default;
};

class CVasSettingManager : public COwnerSettingManager {
 public:
  explicit CVasSettingManager(IDataStore* store = nullptr)
      : COwnerSettingManager({"TBL_VasSettings", "TBL_Vas", "VasID", false}, store) {}
  CVasSettingManager(const CVasSettingManager& other) = default;
};
