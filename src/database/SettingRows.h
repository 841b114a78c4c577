// The rows of the five settings tables. Each table has a numeric key filled by
// the database, an owner column (except the system-wide table), a category
// number, a key text and a value text. CTBL<Table>SettingBase holds the
// columns; the final CTBL<Table>Setting adds ISettingEntity and is the class
// registered for the table.
#pragma once

#include <string>

#include "entities/base/RowClass.h"
#include "entities/base/SettingEntity.h"

// clang-format off
#define TBL_SYSTEM_SETTINGS_COLUMNS(C)             \
  C(Int, "SystemSettingID", SystemSettingID, 0)    \
  C(Int, "Category", Category, 0)                  \
  C(String, "Key", Key, "")                        \
  C(String, "Setting", Setting, "")

#define GATE_OWNER_SETTING_COLUMNS_(C, KeyName, KeySuffix, OwnerName, OwnerSuffix) \
  C(Int, KeyName, KeySuffix, 0)                    \
  C(Int, OwnerName, OwnerSuffix, 0)                \
  C(Int, "Category", Category, 0)                  \
  C(String, "Key", Key, "")                        \
  C(String, "Setting", Setting, "")

#define TBL_SERVER_SETTINGS_COLUMNS(C) \
  GATE_OWNER_SETTING_COLUMNS_(C, "ServerSettingID", ServerSettingID, "ServerID", ServerID)
#define TBL_USER_SETTINGS_COLUMNS(C) \
  GATE_OWNER_SETTING_COLUMNS_(C, "UserSettingID", UserSettingID, "UserID", UserID)
#define TBL_DEVICE_SETTINGS_COLUMNS(C) \
  GATE_OWNER_SETTING_COLUMNS_(C, "DeviceSettingID", DeviceSettingID, "DeviceID", DeviceID)
#define TBL_VAS_SETTINGS_COLUMNS(C) \
  GATE_OWNER_SETTING_COLUMNS_(C, "VasSettingID", VasSettingID, "VasID", VasID)
// clang-format on

// ISettingEntity over the generated accessors of a settings row; the owner
// accessors are given by the final class. The category is handed over as the
// int it is in every settings table: the managers index and look up by number,
// and a text form would only be parsed again by each of them.
#define GATE_SETTING_ENTITY_ACCESSORS_(Base)                                         \
  int GetCategory() const override { return Base::GetCategory(); }                  \
  void SetCategory(int category) override { Base::SetCategory(category); }          \
  std::string GetKey() const override { return Base::GetKey(); }                    \
  void SetKey(const std::string& key) override { Base::SetKey(key); }               \
  std::string GetValue() const override { return Base::GetSetting(); }              \
  void SetValue(const std::string& value) override { Base::SetSetting(value); }

class CTBLSystemSettingBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSystemSettingBase, "TBL_SystemSettings", TBL_SYSTEM_SETTINGS_COLUMNS, AutoIncrement,
                    "SystemSettingID", kEntityNoFlags)
};

// A system-wide setting: it has no owner (owner id 0, setting it does nothing).
class CTBLSystemSetting : public CTBLSystemSettingBase, public ISettingEntity {
 public:
  int GetOwnerID() const override { return 0; }
  void SetOwnerID(int) override {}
  GATE_SETTING_ENTITY_ACCESSORS_(CTBLSystemSettingBase)
};

#define GATE_OWNER_SETTING_ROW_(Name, TableName, COLUMNS, KeyName, OwnerSuffix)                       \
  class CTBL##Name##Base : public CDBEntity {                                                       \
    GATE_ENTITY_TABLE(CTBL##Name##Base, TableName, COLUMNS, AutoIncrement, KeyName, kEntityNoFlags) \
  };                                                                                                \
  class CTBL##Name : public CTBL##Name##Base, public ISettingEntity {                               \
   public:                                                                                          \
    int GetOwnerID() const override { return Get##OwnerSuffix(); }                                 \
    void SetOwnerID(int owner) override { Set##OwnerSuffix(owner); }                                \
    GATE_SETTING_ENTITY_ACCESSORS_(CTBL##Name##Base)                                                \
  };

// Settings of one recording server (ServerID: TBL_Zav.no).
GATE_OWNER_SETTING_ROW_(ServerSetting, "TBL_ServerSettings", TBL_SERVER_SETTINGS_COLUMNS, "ServerSettingID",
                        ServerID)
// Settings of one user (UserID: TBL_User.no).
GATE_OWNER_SETTING_ROW_(UserSetting, "TBL_UserSettings", TBL_USER_SETTINGS_COLUMNS, "UserSettingID", UserID)
// Settings of one camera (DeviceID: TBL_Camera.no).
GATE_OWNER_SETTING_ROW_(DeviceSetting, "TBL_DeviceSettings", TBL_DEVICE_SETTINGS_COLUMNS, "DeviceSettingID",
                        DeviceID)
// Settings of one analysis server (VasID: TBL_Vas.VasID).
GATE_OWNER_SETTING_ROW_(VasSetting, "TBL_VasSettings", TBL_VAS_SETTINGS_COLUMNS, "VasSettingID", VasID)
