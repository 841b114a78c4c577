// The local settings file against real files in a temporary folder.
#include "database/LocalSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "foundation/FileUtil.h"
#include "foundation/ProcessLogCapture.h"
#include "support/TempDir.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Counts the saves that SetValue and EndUpdate trigger (they call Save as a virtual).
class CountingSettings : public CLocalSettings {
 public:
  bool Save(const std::string& path) override {
    ++saves;
    return CLocalSettings::Save(path);
  }
  std::atomic<int> saves{0};
};

class LocalSettingsTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_.Join("Settings.xml");
};

TEST_F(LocalSettingsTest, WritesSortedSettingsWithTabsAndCrLf) {
  {
    CLocalSettings settings;
    settings.Load(path_);
    settings.BeginUpdate();
    settings.SetString(1, "b", "[{\"ID\":\"3\"}]");
    settings.SetString(1, "a", "x<y");
    settings.SetLong(0, "Z", -5);
    settings.SetString(0, "Empty", "");
    settings.SetString(-2, "Neg", "  padded  ");
    settings.EndUpdate();
  }
  const std::string expected =
      "<Settings>\r\n"
      "\t<Setting>\r\n\t\t<Category>-2</Category>\r\n\t\t<Name>Neg</Name>\r\n\t\t<Value>padded</Value>\r\n"
      "\t</Setting>\r\n"
      "\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>Empty</Name>\r\n\t\t<Value>\r\n\t\t</Value>\r\n"
      "\t</Setting>\r\n"
      "\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>Z</Name>\r\n\t\t<Value>-5</Value>\r\n"
      "\t</Setting>\r\n"
      "\t<Setting>\r\n\t\t<Category>1</Category>\r\n\t\t<Name>a</Name>\r\n\t\t<Value>x&lt;y</Value>\r\n"
      "\t</Setting>\r\n"
      "\t<Setting>\r\n\t\t<Category>1</Category>\r\n\t\t<Name>b</Name>\r\n"
      "\t\t<Value>[{&quot;ID&quot;:&quot;3&quot;}]</Value>\r\n"
      "\t</Setting>\r\n"
      "</Settings>\r\n";
  EXPECT_EQ(ReadTestFile(path_), expected);

  CLocalSettings reread;
  ASSERT_TRUE(reread.Load(path_));
  EXPECT_EQ(reread.GetValue(1, "b"), "[{\"ID\":\"3\"}]");
  EXPECT_EQ(reread.GetValue(1, "a"), "x<y");
  EXPECT_EQ(reread.GetValue(-2, "Neg"), "padded");  // written trimmed
  EXPECT_EQ(reread.GetLong(0, "Z", 0), -5);
  EXPECT_TRUE(reread.HasValue(0, "Empty"));
  EXPECT_EQ(reread.GetString(0, "Empty", "dflt"), "dflt");
  EXPECT_EQ(reread.GetValueCount(), 5u);
}

TEST_F(LocalSettingsTest, LoadsSettingsAsTheyComeAndSkipsEmptyNames) {
  ASSERT_TRUE(WriteTestFile(path_,
                            "<?xml version=\"1.0\"?>\n<Settings>\n"
                            "<Setting><Name>NoCategory</Name><Value>v0</Value></Setting>\n"
                            "<Setting><Category>3</Category><Name></Name><Value>skipped</Value></Setting>\n"
                            "<Setting><Category>3</Category><Name>Dup</Name><Value>first</Value></Setting>\n"
                            "<Setting><Category>3</Category><Name>Dup</Name><Value>second</Value></Setting>\n"
                            "<Setting><Category>3</Category><Name>dup</Name><Value>\r\n\tother\t\r\n</Value></Setting>\n"
                            "</Settings>\n"));
  CLocalSettings settings;
  settings.SetAutoSave(false);
  ASSERT_TRUE(settings.Load(path_));
  EXPECT_EQ(settings.GetValue(0, "NoCategory"), "v0");
  EXPECT_EQ(settings.GetValue(3, "Dup"), "second");
  EXPECT_EQ(settings.GetValue(3, "dup"), "other");  // names are case-sensitive; texts trimmed of CR, LF, tabs
  EXPECT_FALSE(settings.HasValue(3, ""));
  EXPECT_EQ(settings.GetValueCount(), 3u);

  // Another root loads as no values, and is no failure.
  ASSERT_TRUE(WriteTestFile(path_, "<Other><Setting><Name>A</Name></Setting></Other>"));
  EXPECT_TRUE(settings.Load(path_));
  EXPECT_EQ(settings.GetValueCount(), 0u);
}

TEST_F(LocalSettingsTest, MissingFileIsRememberedAndCreatedOnFirstSet) {
  CLocalSettings settings;
  EXPECT_FALSE(settings.SetString(0, "Early", "kept"));  // no path yet: kept in memory only
  EXPECT_FALSE(settings.Load(path_));
  EXPECT_EQ(settings.GetValueCount(), 0u);  // Load empties the values
  EXPECT_EQ(settings.GetPath(), path_);
  EXPECT_FALSE(Exists(path_));
  EXPECT_TRUE(settings.SetLong(0, "DatabasePort", 3307));
  CLocalSettings reread;
  ASSERT_TRUE(reread.Load(path_));
  EXPECT_EQ(reread.GetLong(0, "DatabasePort", 0), 3307);
  EXPECT_EQ(reread.GetValueCount(), 1u);
}

TEST_F(LocalSettingsTest, SaveToAnUnwritablePlaceFailsAndKeepsTheValue) {
  CLocalSettings settings;
  settings.Load(dir_.Join("no-such-folder/Settings.xml"));
  ProcessLogCapture log;
  EXPECT_FALSE(settings.SetString(0, "A", "1"));
  EXPECT_EQ(settings.GetValue(0, "A"), "1");
  EXPECT_NE(log.Text().find("ERROR - Error raised when write to '"), std::string::npos);
  EXPECT_FALSE(settings.Save(""));
  settings.SetAutoSave(false);
}

TEST_F(LocalSettingsTest, EmptyFileFailsToLoadWithTheReadErrorAndStaysInPlace) {
  ASSERT_TRUE(WriteTestFile(path_, ""));
  ProcessLogCapture log;
  CLocalSettings settings;
  EXPECT_FALSE(settings.Load(path_));
  EXPECT_NE(log.Text().find("ERROR - Error raised when read '" + path_ + "' xml.\r\n"), std::string::npos);
  std::vector<std::string> files;
  FindFilesRecursive(dir_.path(), "*", false, &files);
  EXPECT_EQ(files.size(), 1u);  // nothing to keep aside
}

TEST_F(LocalSettingsTest, UnreadableFileIsSetAsideBeforeAnythingOverwritesIt) {
  struct Case {
    const char* name;
    const char* text;
    bool loads;
    size_t values;
  };
  const Case cases[] = {
      {"no root", "this is not xml", false, 0},
      // A file cut short gives none of the values read before the break.
      {"broken after root",
       "<Settings><Setting><Category>1</Category><Name>A</Name><Value>x</Value></Setting><Setting><Na", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = dir.Join("AppSettings.xml");
    ASSERT_TRUE(WriteTestFile(path, c.text));
    ProcessLogCapture log;
    {
      CLocalSettings settings;
      EXPECT_EQ(settings.Load(path), c.loads);
      EXPECT_EQ(settings.GetValueCount(), c.values);
      EXPECT_NE(log.Text().find("cannot be read; kept as '" + path + ".unreadable-"), std::string::npos);
    }  // the destructor writes the values held
    std::vector<std::string> aside;
    FindFilesRecursive(dir.path(), "AppSettings.xml.unreadable-*", false, &aside);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadTestFile(aside[0]), c.text);
    EXPECT_NE(ReadTestFile(path).find("<Settings>"), std::string::npos);
  }
}

TEST_F(LocalSettingsTest, UnreadableFileStaysWhenNothingWillBeSaved) {
  ASSERT_TRUE(WriteTestFile(path_, "garbage"));
  CLocalSettings settings;
  settings.SetAutoSave(false);
  EXPECT_FALSE(settings.Load(path_));
  EXPECT_EQ(ReadTestFile(path_), "garbage");
}

TEST_F(LocalSettingsTest, UnreadableFileIsSetAsideBeforeTheFirstSaveWithoutAutoSave) {
  ASSERT_TRUE(WriteTestFile(path_, "garbage"));
  ProcessLogCapture log;
  CLocalSettings settings;
  settings.SetAutoSave(false);
  EXPECT_FALSE(settings.Load(path_));
  settings.BeginUpdate();
  settings.SetString(0, "A", "1");
  settings.EndUpdate();  // saves, auto-save or not
  EXPECT_NE(log.Text().find("cannot be read; kept as '" + path_ + ".unreadable-"), std::string::npos);
  std::vector<std::string> aside;
  FindFilesRecursive(dir_.path(), "Settings.xml.unreadable-*", false, &aside);
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadTestFile(aside[0]), "garbage");
  EXPECT_NE(ReadTestFile(path_).find("<Name>A</Name>"), std::string::npos);
  EXPECT_TRUE(settings.Save(path_));  // set aside once only
  aside.clear();
  FindFilesRecursive(dir_.path(), "Settings.xml.unreadable-*", false, &aside);
  EXPECT_EQ(aside.size(), 1u);
}

TEST_F(LocalSettingsTest, GettersParseNonEmptyTextsAndDefaultOnlyForEmptyOnes) {
  CLocalSettings settings;
  settings.SetAutoSave(false);
  struct Case {
    const char* text;
    int32_t asLong;
    uint32_t asUInt;
    double asDouble;
  };
  const Case cases[] = {
      {"42", 42, 42u, 42.0},
      {"abc", 0, 0u, 0.0},
      {"  -7x", -7, 4294967289u, -7.0},
      {"4294967295", 2147483647, 4294967295u, 4294967295.0},
      {"-1", -1, 4294967295u, -1.0},
      {"-99999999999", INT32_MIN, static_cast<uint32_t>(-99999999999LL), -99999999999.0},
      {"0.5", 0, 0u, 0.5},
      {"1e3", 1, 1u, 1000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    settings.SetString(7, "K", c.text);
    EXPECT_EQ(settings.GetLong(7, "K", 99), c.asLong);
    EXPECT_EQ(settings.GetInt(7, "K", 99), c.asLong);
    EXPECT_EQ(settings.GetBool(7, "K", true), c.asLong != 0);
    EXPECT_EQ(settings.GetUInt(7, "K", 99), c.asUInt);
    EXPECT_DOUBLE_EQ(settings.GetDouble(7, "K", 99), c.asDouble);
    EXPECT_FLOAT_EQ(settings.GetFloat(7, "K", 99), static_cast<float>(c.asDouble));
    EXPECT_EQ(settings.GetString(7, "K", "d"), c.text);
  }
  settings.SetString(7, "K", "");
  EXPECT_EQ(settings.GetLong(7, "K", 99), 99);
  EXPECT_EQ(settings.GetInt(7, "K", 97), 97);
  EXPECT_EQ(settings.GetUInt(7, "K", 98), 98u);
  EXPECT_DOUBLE_EQ(settings.GetDouble(7, "K", 1.5), 1.5);
  EXPECT_EQ(settings.GetString(7, "Absent", "d"), "d");
  EXPECT_TRUE(settings.GetBool(8, "K", true));
}

TEST_F(LocalSettingsTest, SettersStoreTheirTextForms) {
  CLocalSettings settings;
  settings.SetAutoSave(false);
  settings.SetBool(0, "B", true);
  settings.SetUInt(0, "U", 4294967295u);
  settings.SetFloat(0, "F", 0.1f);
  settings.SetDouble(0, "D", 0.5);
  settings.SetDouble(0, "D2", 0.1);
  EXPECT_EQ(settings.GetValue(0, "B"), "1");
  EXPECT_EQ(settings.GetValue(0, "U"), "4294967295");
  EXPECT_EQ(settings.GetValue(0, "F"), "0.1");
  EXPECT_EQ(settings.GetValue(0, "D"), "0.5");
  EXPECT_EQ(settings.GetValue(0, "D2"), "0.100000000000000006");
}

TEST_F(LocalSettingsTest, NestedBatchWritesOnceAtTheOutermostEnd) {
  CountingSettings settings;
  settings.Load(path_);
  settings.BeginUpdate();
  settings.BeginUpdate();
  EXPECT_TRUE(settings.SetString(1, "A", "1"));
  EXPECT_TRUE(settings.SetString(1, "B", "2"));
  settings.EndUpdate();
  EXPECT_EQ(settings.saves, 0);
  EXPECT_FALSE(Exists(path_));
  settings.EndUpdate();
  EXPECT_EQ(settings.saves, 1);
  EXPECT_NE(ReadTestFile(path_).find("<Name>B</Name>"), std::string::npos);
  settings.EndUpdate();  // no open batch: nothing
  EXPECT_EQ(settings.saves, 1);
  settings.SetAutoSave(false);
  settings.BeginUpdate();
  settings.EndUpdate();  // a closing batch saves even without auto-save
  EXPECT_EQ(settings.saves, 2);
}

TEST_F(LocalSettingsTest, AnotherThreadsBatchDefersTheSaveToItsEnd) {
  CountingSettings settings;
  settings.Load(path_);
  std::promise<void> begun, setDone;
  std::thread other([&] {
    settings.BeginUpdate();
    begun.set_value();
    setDone.get_future().wait();
    settings.EndUpdate();
  });
  begun.get_future().wait();
  EXPECT_TRUE(settings.SetString(0, "A", "1"));
  settings.EndUpdate();  // this thread has no batch: ends nothing of the other's
  EXPECT_EQ(settings.saves, 0);
  setDone.set_value();
  other.join();
  EXPECT_EQ(settings.saves, 1);
  EXPECT_NE(ReadTestFile(path_).find("<Name>A</Name>"), std::string::npos);
}

TEST_F(LocalSettingsTest, DestructorSavesOnlyWithAutoSave) {
  {
    CLocalSettings settings;
    settings.Load(path_);
    settings.BeginUpdate();
    settings.SetString(0, "A", "1");
  }  // a batch left open: the destructor still writes
  EXPECT_NE(ReadTestFile(path_).find("<Name>A</Name>"), std::string::npos);
  std::string other = dir_.Join("Other.xml");
  {
    CLocalSettings settings;
    settings.SetAutoSave(false);
    settings.Load(other);
    settings.SetString(0, "A", "1");
  }
  EXPECT_FALSE(Exists(other));
}

TEST_F(LocalSettingsTest, ConcurrentWritersLeaveAFileHoldingEveryValue) {
  CLocalSettings settings;
  settings.Load(path_);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&settings, t] {
      for (int i = 0; i < 20; ++i) {
        settings.BeginUpdate();
        settings.SetLong(t, "K" + std::to_string(i), i);
        settings.EndUpdate();
        EXPECT_EQ(settings.GetLong(t, "K" + std::to_string(i), -1), i);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  CLocalSettings reread;
  ASSERT_TRUE(reread.Load(path_));
  EXPECT_EQ(reread.GetValueCount(), 160u);
}

}  // namespace
