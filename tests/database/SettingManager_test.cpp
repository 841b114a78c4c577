// The table-backed setting managers over a cache store and the real database.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CacheStoreFixture.h"
#include "database/OwnerSettingManager.h"
#include "database/SettingRows.h"
#include "database/SystemSettingManager.h"

namespace {

class SettingManagerTest : public CacheStoreTest {
 protected:
  void Insert(int category, const std::string& key, const std::string& value) {
    ASSERT_TRUE(raw_.Run("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (" +
                         std::to_string(category) + ", '" + key + "', '" + value + "')"));
  }
};

TEST_F(SettingManagerTest, GettersParseTheStoredTexts) {
  Insert(1, "EnableSystemStatus", "0");
  Insert(1, "Empty", "");
  Insert(1, "Letters", "abc");
  Insert(1, "Big", "4294967295");
  Insert(1, "Minus", "-1");
  Insert(1, "Half", " 0.5x");
  Insert(2, "Letters", "other category");
  CSystemSettingManager settings(store_.get());

  EXPECT_FALSE(settings.GetBool(1, "enablesystemstatus", true));  // keys ignore letter case
  EXPECT_TRUE(settings.GetBool(1, "Empty", true));
  EXPECT_EQ(settings.GetLong(1, "Empty", 42), 42);
  EXPECT_EQ(settings.GetString(1, "Empty", "default"), "default");
  EXPECT_EQ(settings.GetLong(1, "Letters", 42), 0);
  EXPECT_EQ(settings.GetString(1, "Letters", ""), "abc");
  EXPECT_EQ(settings.GetString(2, "LETTERS", ""), "other category");
  EXPECT_EQ(settings.GetUInt(1, "Big", 0), 4294967295u);
  EXPECT_EQ(settings.GetLong(1, "Big", 0), 2147483647);
  EXPECT_EQ(settings.GetInt(1, "Minus", 0), -1);
  EXPECT_EQ(settings.GetInt(1, "Empty", 5), 5);
  EXPECT_EQ(settings.GetUInt(1, "Minus", 0), 4294967295u);
  EXPECT_DOUBLE_EQ(settings.GetDouble(1, "Half", 0), 0.5);
  EXPECT_FLOAT_EQ(settings.GetFloat(1, "Half", 0), 0.5f);
  EXPECT_EQ(settings.GetLong(1, "Missing", -7), -7);
  EXPECT_EQ(settings.GetLong(3, "Letters", -7), -7);
}

TEST_F(SettingManagerTest, SettersWriteTheirTextsAndAddMissingRowsOnce) {
  Insert(1, "Existing", "old");
  CSystemSettingManager settings(store_.get());
  const struct {
    const char* key;
    std::string expected;
    bool (*set)(CSystemSettingManager&, const char*);
  } cases[] = {
      {"Existing", "1", [](CSystemSettingManager& m, const char* k) { return m.SetBool(1, k, true); }},
      {"Double", "0.5", [](CSystemSettingManager& m, const char* k) { return m.SetDouble(1, k, 0.5); }},
      {"Float", "0.333333", [](CSystemSettingManager& m, const char* k) { return m.SetFloat(1, k, 1.0f / 3); }},
      {"UInt", "4294967295", [](CSystemSettingManager& m, const char* k) { return m.SetUInt(1, k, 0xFFFFFFFFu); }},
      {"Long", "-12", [](CSystemSettingManager& m, const char* k) { return m.SetLong(1, k, -12); }},
      {"Text", "a b", [](CSystemSettingManager& m, const char* k) { return m.SetString(1, k, "a b"); }},
      {"ZmsSyncAddress", "10.0.0.1",
       [](CSystemSettingManager& m, const char*) { return m.SetZmsSyncAddress("10.0.0.1"); }},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.set(settings, c.key)) << c.key;
    EXPECT_EQ(raw_.Value(std::string("SELECT Setting FROM TBL_SystemSettings WHERE `Key` = '") + c.key + "'"),
              c.expected)
        << c.key;
    EXPECT_EQ(settings.GetString(1, c.key, "?"), c.expected) << c.key;
  }
  ASSERT_TRUE(settings.SetString(1, "text", "again"));  // the same row, found without regard to case
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_SystemSettings WHERE `Key` = 'Text'"), "1");
  EXPECT_EQ(raw_.Value("SELECT Category FROM TBL_SystemSettings WHERE `Key` = 'Long'"), "1");
}

TEST_F(SettingManagerTest, ReloadsOnlyWhenTheTableVersionMoved) {
  Insert(1, "A", "1");
  CSystemSettingManager settings(store_.get());
  CSystemSettingManager other(store_.get());
  EntityPtr first = settings.FindSetting(1, "A");
  ASSERT_NE(first, nullptr);
  // The first look-up brought the table into the store, so the second reloads once more.
  EXPECT_NE(settings.FindSetting(1, "A").get(), first.get());
  EXPECT_EQ(settings.FindSetting(1, "A").get(), settings.FindSetting(1, "A").get());
  EntityPtr steady = settings.FindSetting(1, "A");

  ASSERT_TRUE(other.SetLong(1, "A", 2));  // through the store: the version rises
  EXPECT_EQ(settings.GetLong(1, "A", 0), 2);
  EXPECT_NE(settings.FindSetting(1, "A").get(), steady.get());
  ASSERT_TRUE(other.SetLong(1, "B", 3));
  EXPECT_EQ(settings.GetLong(1, "B", 0), 3);

  // A copy shares the index and the store, with a lock of its own.
  CSystemSettingManager copy(settings);
  EXPECT_EQ(copy.FindSetting(1, "B").get(), settings.FindSetting(1, "B").get());
}

TEST_F(SettingManagerTest, RefusedWritesReturnFalse) {
  Insert(1, "A", "1");
  CSystemSettingManager settings(store_.get());
  EXPECT_EQ(settings.GetLong(1, "A", 0), 1);
  ASSERT_TRUE(raw_.Run("DROP TABLE TBL_SystemSettings"));
  LogCapture log;
  EXPECT_FALSE(settings.SetLong(1, "A", 5));
  EXPECT_FALSE(settings.SetLong(1, "New", 5));
  EXPECT_TRUE(log.Contains("ERROR - Error raised when update 'A' setting.")) << log.Text();
  EXPECT_TRUE(log.Contains("ERROR - Error raised when add 'New' setting.")) << log.Text();
}

TEST_F(SettingManagerTest, WithoutAStoreDefaultsAndTrue) {
  CSystemSettingManager settings;
  EXPECT_TRUE(settings.SetLong(1, "A", 5));
  EXPECT_EQ(settings.GetLong(1, "A", 9), 9);
  EXPECT_FALSE(settings.GetSupportNewDeviceGroupPermission());
  CDeviceSettingManager device;
  device.SetOwnerID(3);
  EXPECT_TRUE(device.SetString(1, "A", "x"));
  EXPECT_EQ(device.GetString(1, "A", "d"), "d");
}

TEST_F(SettingManagerTest, SystemRowsHaveNoOwnerAndNewRowsTakeTemporaryIdsInCacheOnlyStores) {
  CTBLSystemSetting system;
  EXPECT_EQ(system.GetOwnerID(), 0);
  system.SetOwnerID(5);
  EXPECT_EQ(system.GetOwnerID(), 0);
  EXPECT_FALSE(system.HasChanges());

  CDeviceSettingManager device(store_.get());
  device.SetOwnerID(8);
  std::unique_ptr<CDBEntity> saved(device.NewSettingEntity());
  EXPECT_EQ(saved->GetID(), 0);
  EXPECT_EQ(dynamic_cast<ISettingEntity*>(saved.get())->GetOwnerID(), 8);
  store_->SetCacheOnly(true);
  std::unique_ptr<CDBEntity> memory(device.NewSettingEntity());
  EXPECT_LT(memory->GetID(), 0);
  CVasSettingManager vas(store_.get());
  std::unique_ptr<CDBEntity> vasRow(vas.NewSettingEntity());
  EXPECT_EQ(vasRow->GetID(), 0);
  store_->SetCacheOnly(false);

  Insert(1, "SupportNewDeviceGroupPermission", "1");
  CSystemSettingManager settings(store_.get());
  EXPECT_TRUE(settings.GetSupportNewDeviceGroupPermission());  // not a client store: the table's value
}

TEST_F(SettingManagerTest, LoadingARowWithoutTheSettingColumnLeavesItEmpty) {
  CTBLSystemSetting row;
  CKeyValueData values;
  values.SetValue("systemsettingid", "4");
  values.SetValue("category", "2");
  values.SetValue("key", "K");
  row.LoadFrom(values);
  EXPECT_EQ(row.GetID(), 4);
  EXPECT_EQ(row.GetCategory(), 2);
  EXPECT_EQ(row.GetValue(), "");
}

}  // namespace
