// Settings/AppSettings.xml in a temporary program folder.
#include "shell/LocalAppSettings.h"

#include <gtest/gtest.h>

#include "foundation/Aria.h"
#include "ProgramFolderFixture.h"
#include "shell/AppFolders.h"

namespace {

// One Setting entry of the file.
std::string Entry(int category, const std::string& name, const std::string& value) {
  return "<Setting><Category>" + std::to_string(category) + "</Category><Name>" + name + "</Name><Value>" + value +
         "</Value></Setting>";
}

class LocalAppSettingsTest : public ProgramFolderFixture {
 protected:
  void WriteSettings(const std::string& entries) {
    ASSERT_TRUE(WriteTestFile(GetAppSettingsFilePath(), "<Settings>" + entries + "</Settings>"));
  }
};

// Every getter with its default, as one text.
std::string AllLocalValues(CLocalAppSettings& s) {
  return s.GetUILanguage() + "|" + s.GetDatabaseAddress() + "|" + std::to_string(s.GetDatabasePort()) + "|" +
         s.GetDatabaseLoginID() + "|" + s.GetDatabasePassword() + "|" + s.GetDatabaseName() + "|" +
         s.GetSystemLoginID() + "|" + s.GetSystemPassword() + "|" + std::to_string(s.GetEncryptContents()) + "|" +
         s.GetEncryptKey() + "|" + std::to_string(s.GetChangeNvrSyncMode()) + "|" +
         std::to_string(s.GetRestartSyncNvr()) + "|" + s.GetZmsAddress() + "|" + std::to_string(s.GetZmsPort()) +
         "|" + std::to_string(s.GetDMEventThresholdSeconds()) + "|" + std::to_string(s.GetEventStatusSendPeriod()) +
         "|" + std::to_string(s.GetSkipDataSyncNotify());
}

constexpr const char* kLocalDefaults =
    "Auto|127.0.0.1|3306|root|qotrafuvnexib|torvane|qivor|qivor|1|Wr7Hq2xcB9sLm5Dv|0|1||0|5|300|0";

TEST_F(LocalAppSettingsTest, WithoutAFileEveryGetterGivesItsDefaultAndTheFirstSetterCreatesIt) {
  CLocalAppSettings settings;
  EXPECT_FALSE(settings.Load(GetAppSettingsFilePath()));
  EXPECT_EQ(AllLocalValues(settings), kLocalDefaults);
  EXPECT_FALSE(Exists(GetAppSettingsFilePath()));
  EXPECT_TRUE(settings.SetDatabaseName("site"));
  CLocalSettings reread;
  reread.SetAutoSave(false);
  ASSERT_TRUE(reread.Load(GetAppSettingsFilePath()));
  EXPECT_EQ(reread.GetValueCount(), 1u);
  EXPECT_EQ(reread.GetValue(0, "DatabaseName"), "site");
}

TEST_F(LocalAppSettingsTest, EmptyValuesReadAsDefaults) {
  WriteSettings(Entry(0, "UILanguage", "") + Entry(0, "DatabaseName", "") + Entry(0, "DatabasePassword", "") +
                Entry(0, "EncryptKey", "") + Entry(0, "DatabasePort", "") + Entry(0, "EncryptContents", "") +
                Entry(0, "RestartSyncNvr", "") + Entry(1, "EventStatusSendPeriod", ""));
  CLocalAppSettings settings;
  ASSERT_TRUE(settings.Load(GetAppSettingsFilePath()));
  EXPECT_EQ(AllLocalValues(settings), kLocalDefaults);
}

TEST_F(LocalAppSettingsTest, StoredValuesAreReadUnderTheirExactKeyAndCategory) {
  WriteSettings(Entry(0, "UILanguage", "Korean") + Entry(0, "DatabaseAddress", "10.0.0.9") +
                Entry(0, "databaseport", "1") + Entry(0, "DatabaseLoginID", "gate") +
                Entry(0, "DatabaseName", "site") + Entry(0, "SystemLoginID", "sys") +
                Entry(0, "EncryptContents", "0") + Entry(0, "EncryptKey", "0123456789abcdef") +
                Entry(0, "ChangeNvrSyncMode", "7") + Entry(0, "RestartSyncNvr", "zero") +
                Entry(0, "ZmsAddress", "zms") + Entry(0, "ZmsPort", "8080") +
                Entry(1, "DMEventThresholdSeconds", "9") + Entry(1, "EventStatusSendPeriod", "60") +
                Entry(0, "SkipDataSyncNotify", "1") + Entry(1, "SkipDataSyncNotify", "1"));
  CLocalAppSettings settings;
  ASSERT_TRUE(settings.Load(GetAppSettingsFilePath()));
  // databaseport in other letters leaves DatabasePort at 3306; SkipDataSyncNotify counts only in category 2.
  EXPECT_EQ(AllLocalValues(settings),
            "Korean|10.0.0.9|3306|gate|qotrafuvnexib|site|sys|qivor|0|0123456789abcdef|1|0|zms|8080|9|60|0");
}

TEST_F(LocalAppSettingsTest, PasswordsAreStoredEncipheredAndReadInClear) {
  CLocalAppSettings settings;
  settings.Load(GetAppSettingsFilePath());
  EXPECT_EQ(settings.GetDatabasePasswordRaw(), AriaEncryptString("qotrafuvnexib"));
  EXPECT_TRUE(settings.SetDatabasePassword("db secret"));
  EXPECT_TRUE(settings.SetSystemPassword("sys secret"));
  EXPECT_EQ(settings.GetDatabasePassword(), "db secret");
  EXPECT_EQ(settings.GetSystemPassword(), "sys secret");
  EXPECT_EQ(settings.GetSystemPasswordRaw(), AriaEncryptString("sys secret"));

  std::string file = ReadTestFile(GetAppSettingsFilePath());
  EXPECT_EQ(file.find("secret"), std::string::npos);
  EXPECT_NE(file.find(AriaEncryptString("db secret")), std::string::npos);

  EXPECT_TRUE(settings.SetDatabasePasswordRaw(AriaEncryptString("raw")));
  EXPECT_EQ(settings.GetDatabasePassword(), "raw");
}

TEST_F(LocalAppSettingsTest, GeneralPageBatchWritesOnceAndSurvivesARestart) {
  {
    CLocalAppSettings settings;
    settings.Load(GetAppSettingsFilePath());
    settings.BeginUpdate();
    settings.SetDatabaseName("site");
    settings.SetDatabaseAddress("db.local");
    settings.SetDatabasePort(3307);
    settings.SetDatabaseLoginID("gate");
    settings.SetDatabasePassword("pw");
    settings.SetSystemLoginID("sys");
    settings.SetSystemPassword("spw");
    EXPECT_FALSE(Exists(GetAppSettingsFilePath()));
    settings.EndUpdate();
    EXPECT_TRUE(Exists(GetAppSettingsFilePath()));
  }
  CLocalAppSettings settings;
  ASSERT_TRUE(settings.Load(GetAppSettingsFilePath()));
  EXPECT_EQ(AllLocalValues(settings), "Auto|db.local|3307|gate|pw|site|sys|spw|1|Wr7Hq2xcB9sLm5Dv|0|1||0|5|300|0");
}

TEST_F(LocalAppSettingsTest, HandEditsWhileRunningAreNotSeen) {
  WriteSettings(Entry(0, "DatabaseName", "before"));
  CLocalAppSettings settings;
  ASSERT_TRUE(settings.Load(GetAppSettingsFilePath()));
  WriteSettings(Entry(0, "DatabaseName", "after"));
  EXPECT_EQ(settings.GetDatabaseName(), "before");
}

}  // namespace
