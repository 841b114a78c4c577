// Row classes of the database tests, one per key kind, declared with the
// row-class pattern. Their tables are made from their own column lists.
#pragma once

#include <string>
#include <vector>

#include "entities/base/RowClass.h"

// Auto-increment key, soft-delete column, every text kind.
#define DB_TEST_CAMERA_COLUMNS(C)                                \
  C(Int, "CameraID", CameraID, 0)                                \
  C(String, "CameraName", CameraName, "", column::VarChar(64))   \
  C(Int, "ZavID", ZavID, 0)                                      \
  C(Bool, "IsDeleted", IsDeleted, 0)                             \
  C(Double, "Latitude", Latitude, 0.0)                           \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                \
  C(Date, "InstallDate", InstallDate, "")                        \
  C(Time, "StartTime", StartTime, "")                            \
  C(String, "Memo", Memo, "", column::Text)

class CDbTestCamera : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestCamera, "TBL_DbTestCamera", DB_TEST_CAMERA_COLUMNS, AutoIncrement,
                    "CameraID", kEntityNoFlags)
};

// 64-bit auto-increment key.
#define DB_TEST_EVENT_COLUMNS(C)           \
  C(UInt64, "EventID", EventID, 0)         \
  C(String, "Label", Label, "")            \
  C(Bool, "IsDeleted", IsDeleted, 0)

class CDbTestEvent : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestEvent, "TBL_DbTestEvent", DB_TEST_EVENT_COLUMNS, AutoIncrement64,
                    "EventID", kEntityNoFlags)
};

// A key that the program sets, no soft-delete column.
#define DB_TEST_SETTING_COLUMNS(C)         \
  C(Int, "SettingID", SettingID, 0)        \
  C(String, "Value", Value, "")            \
  C(Int, "Category", Category, 0)

class CDbTestSetting : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestSetting, "TBL_DbTestSetting", DB_TEST_SETTING_COLUMNS, Plain,
                    "SettingID", kEntityNoFlags)
};

// Two-column key.
#define DB_TEST_LINK_COLUMNS(C)                   \
  C(Int, "camera_group_no", CameraGroupNo, 0)     \
  C(Int, "camera_no", CameraNo, 0)                \
  C(Int, "_order_", Order, 0)

class CDbTestLink : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestLink, "TBL_DbTestLink", DB_TEST_LINK_COLUMNS, Composite, "",
                    kEntityNoFlags)
};

// No key at all.
#define DB_TEST_LOG_COLUMNS(C)          \
  C(Int, "Code", Code, 0)               \
  C(String, "Message", Message, "")     \
  C(DateTime, "LoggedAt", LoggedAt, "")

class CDbTestLog : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestLog, "TBL_DbTestLog", DB_TEST_LOG_COLUMNS, None, "",
                    kEntityExcludedFromCache)
};

// A live-status row: never reaches the database.
#define DB_TEST_STATUS_COLUMNS(C)      \
  C(Int, "DeviceID", DeviceID, 0)      \
  C(Int, "VideoLoss", VideoLoss, 0)

class CDbTestStatus : public CDBEntity {
  GATE_ENTITY_TABLE(CDbTestStatus, "LTBL_DbTestStatus", DB_TEST_STATUS_COLUMNS, Plain, "DeviceID",
                    kEntityMemoryOnly)
};

// The CREATE TABLE statements of the row classes above (not the live-status one).
std::vector<std::string> DbTestTableStatements();
