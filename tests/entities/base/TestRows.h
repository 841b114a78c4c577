// Small row classes declared with the row-class pattern, one per key kind and
// per column attribute, for the entity base's tests.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "entities/base/LogicalStatusEntity.h"
#include "entities/base/RowClass.h"

// A key/value row holding the given (name, text) pairs in order.
inline CKeyValueData KeyValues(std::initializer_list<std::pair<std::string, std::string>> values) {
  CKeyValueData row;
  for (const auto& [name, value] : values) row.SetValue(name, value);
  return row;
}

// Every column kind; auto-increment key; one column loaded under another name.
#define TEST_STORAGE_COLUMNS(C)                                 \
  C(Int, "StorageID", StorageID, 0)                             \
  C(Int, "ZavID", ZavID, 0, column::LoadAs("nrsid"))            \
  C(String, "StorageName", StorageName, "", column::VarChar(64)) \
  C(Bool, "IsDeleted", IsDeleted, 0)                            \
  C(UInt32, "Capacity", Capacity, 0)                            \
  C(UInt64, "UsedBytes", UsedBytes, 0)                          \
  C(Float, "Ratio", Ratio, 0.0f)                                \
  C(Double, "Latitude", Latitude, 0.0)                          \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")               \
  C(Date, "day_of_use", DayOfUse, "")                           \
  C(Time, "_start_time_", StartTime, "")                        \
  C(String, "Memo", Memo, "", column::Text)                     \
  C(Int, "web_port", WebPort, 554)

class CTestStorageBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTestStorageBase, "TBL_TestStorage", TEST_STORAGE_COLUMNS, AutoIncrement, "StorageID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_TestLink", "camera_group_no", 0, kRelationModeDelete},
                        {"TBL_TestLog", "StorageID", 0, kRelationModeSetZero})
};

class CTestStorage : public CTestStorageBase {
 public:
  std::string GetDisplayText() const override { return GetStorageName(); }
};

// Two-column key; the links carry hidden row ids.
#define TEST_LINK_COLUMNS(C)                          \
  C(Int, "camera_group_no", CameraGroupNo, 0)         \
  C(Int, "camera_no", CameraNo, 0)                    \
  C(Int, "_order_", Order, 0)

class CTestLink : public CDBEntity {
  GATE_ENTITY_TABLE(CTestLink, "TBL_TestLink", TEST_LINK_COLUMNS, Composite, "", kEntityNoFlags)
};

// No key, excluded from the cache; a copy keeps the target's own hidden row id.
#define TEST_LOG_COLUMNS(C)                  \
  C(Int, "StorageID", StorageID, 0)          \
  C(String, "Message", Message, "")

class CTestLog : public CDBEntity {
  GATE_ENTITY_TABLE(CTestLog, "TBL_TestLog", TEST_LOG_COLUMNS, None, "",
                    kEntityExcludedFromCache | kEntityKeepHiddenRowIdOnCopy)
};

// 64-bit auto-increment key.
#define TEST_META_COLUMNS(C)                  \
  C(UInt64, "MetaID", MetaID, 0)              \
  C(String, "Label", Label, "")

class CTestMeta : public CDBEntity {
  GATE_ENTITY_TABLE(CTestMeta, "TBL_TestMeta", TEST_META_COLUMNS, AutoIncrement64, "MetaID", kEntityNoFlags)
};

// Plain key spelled "ClientID" by the key while the list writes "clientid";
// the key takes a temporary ID; the setters record under other names; one
// setter only assigns.
#define TEST_CLIENT_COLUMNS(C)                                                                              \
  C(Int, "clientid", ClientID, 0,                                                                          \
    column::TemporaryIdFromSource | column::RecordAs("ClientID") | column::IrregularAccessor)              \
  C(String, "name", Name, "")                                                                               \
  C(Int, "isonline", IsOnline, 0, column::RecordAs("IsOnline") | column::IrregularAccessor)                \
  C(Int, "Enabled", Enabled, 1, column::NoChangeRecord)

class CTestClient : public CDBEntity {
  GATE_ENTITY_TABLE(CTestClient, "TBL_TestClient", TEST_CLIENT_COLUMNS, Plain, "ClientID", kEntityNoFlags)
};

// A memory-only live-status row with the logical status interface; one
// column that older rows carry under an earlier name.
#define TEST_STATUS_COLUMNS(C)         \
  C(Int, "DeviceID", DeviceID, 0)      \
  C(Int, "VideoLoss", VideoLoss, 0, column::LegacyName("video_loss"))

class CTestStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTestStatusBase, "LTBL_TestStatus", TEST_STATUS_COLUMNS, Plain, "DeviceID",
                    kEntityMemoryOnly)
};

class CTestStatus : public CTestStatusBase, public ILogicalStatusEntity {
 public:
  int GetOwnerID() const override { return GetDeviceID(); }
  void SetOwnerID(int ownerId) override { SetDeviceID(ownerId); }
  void* GetInterface(const std::string& name) override {
    return name == "ILogicalStatusEntity" ? static_cast<ILogicalStatusEntity*>(this) : nullptr;
  }
};
