// The General page: the database connection and system user in a real
// AppSettings.xml, and the autostart entry under a temporary XDG_CONFIG_HOME.
#include "options/DlgOptionGeneral.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "OptionPageFixture.h"
#include "support/TempDir.h"

namespace {

using G = CDlgOptionGeneral;

class GeneralPageTest : public OptionPageFixture {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    const char* old = getenv("XDG_CONFIG_HOME");
    oldConfig_ = old ? old : "";
    hadConfig_ = old != nullptr;
    setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    program_.folder = dir_.path() + "/my 100% gate";
    program_.path = program_.folder + "/TorvaneGateManager";
    program_.baseName = "TorvaneGateManager";
    page_ = std::make_unique<G>(&texts_, &settings_, program_);
    Open(*page_);
  }
  void TearDown() override {
    if (hadConfig_) setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    OptionPageFixture::TearDown();
  }
  std::string EntryPath() const { return config_.path() + "/autostart/TorvaneGateManager.desktop"; }
  void FillValid() {
    view_.texts = {{G::kName, "gate"}, {G::kAddress, "10.1.1.1"}, {G::kPort, "3307"}, {G::kLogin, "dba"},
                   {G::kPassword, "db pw"}, {G::kSystemLogin, "sys"}, {G::kSystemPassword, "sys pw"}};
    view_.indexes[G::kStartup] = 0;
  }
  std::string StoredFile() { return ReadTestFile(GetAppSettingsFilePath()); }

  TempDir config_;
  std::string oldConfig_;
  bool hadConfig_ = false;
  COptionProgramInfo program_;
  std::unique_ptr<G> page_;
};

TEST_F(GeneralPageTest, ShowsTheSettingsDefaultsWithPort3306) {
  EXPECT_EQ(view_.texts[G::kName], "torvane");
  EXPECT_EQ(view_.texts[G::kAddress], "127.0.0.1");
  EXPECT_EQ(view_.texts[G::kPort], "3306");
  EXPECT_EQ(view_.texts[G::kLogin], "root");
  EXPECT_EQ(view_.texts[G::kSystemLogin], settings_.GetSystemLoginID());
  EXPECT_EQ(view_.indexes[G::kStartup], 0);
}

TEST_F(GeneralPageTest, RequiredFieldsInOrderAndNothingStoredOnAFailure) {
  struct Case {
    int field;
    const char* text;
  } cases[] = {{G::kName, "   "},  {G::kAddress, ""},       {G::kPort, ""},          {G::kPort, "0"},
               {G::kPort, "70000"}, {G::kLogin, " "},        {G::kSystemLogin, ""}};
  for (const Case& c : cases) {
    FillValid();
    view_.texts[c.field] = c.text;
    view_.focus = 0;
    messages_.shown.clear();
    int saves = settings_.saves;
    EXPECT_EQ(page_->SaveItems(), 0) << c.field << " '" << c.text << "'";
    EXPECT_EQ(view_.focus, c.field);
    EXPECT_EQ(messages_.shown, std::vector<std::string>{"t31|t1|error"});
    EXPECT_EQ(settings_.saves, saves);
    EXPECT_EQ(settings_.GetDatabaseName(), "torvane");
  }
}

TEST_F(GeneralPageTest, SaveStoresTrimmedNamesAndPasswordsAsTyped) {
  FillValid();
  view_.texts[G::kName] = "  gate  ";
  view_.texts[G::kPassword] = "  ";
  view_.texts[G::kPort] = "65535";
  int saves = settings_.saves;
  EXPECT_EQ(page_->SaveItems(), 1);
  EXPECT_EQ(settings_.saves, saves + 1) << "one write of the file";
  CLocalAppSettings reread;
  reread.Load(GetAppSettingsFilePath());
  EXPECT_EQ(reread.GetDatabaseName(), "gate");
  EXPECT_EQ(reread.GetDatabasePassword(), "  ");
  EXPECT_EQ(reread.GetDatabasePort(), 65535);
  EXPECT_EQ(reread.GetSystemPassword(), "sys pw");
  EXPECT_EQ(StoredFile().find("sys pw"), std::string::npos) << "passwords are stored enciphered";
}

TEST_F(GeneralPageTest, LeavingAsksOnlyForRealChanges) {
  // Retyping the shown password is no change.
  view_.texts[G::kPassword] = settings_.GetDatabasePassword();
  EXPECT_EQ(page_->QueryClose(), 1);
  EXPECT_TRUE(messages_.shown.empty());

  // A changed password with an emptied system login: Yes fails and keeps the page.
  view_.texts[G::kPassword] = "changed";
  view_.texts[G::kSystemLogin] = "";
  messages_.answers = {true};
  EXPECT_EQ(page_->QueryClose(), 0);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"t28|t1|question", "t31|t1|error"}));
  EXPECT_EQ(view_.focus, G::kSystemLogin);

  // No leaves the page and stores nothing.
  messages_.answers = {false};
  EXPECT_EQ(page_->QueryClose(), 1);
  EXPECT_NE(settings_.GetDatabasePassword(), "changed");
}

TEST_F(GeneralPageTest, TickAndSaveWritesTheAutostartEntryUntickAndSaveDeletesIt) {
  FillValid();
  view_.indexes[G::kStartup] = 1;
  ASSERT_EQ(page_->SaveItems(), 1);
  // The program path is quoted and its '%' doubled, as the entry format requires.
  EXPECT_EQ(ReadTestFile(EntryPath()),
            "[Desktop Entry]\nType=Application\nName=TorvaneGateManager\n"
            "Exec=\"" + dir_.path() + "/my 100%% gate/TorvaneGateManager\" -start -hide\n"
            "Path=" + dir_.path() + "/my 100% gate\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
  EXPECT_TRUE(messages_.shown.empty());

  page_->LoadItems();
  EXPECT_EQ(view_.indexes[G::kStartup], 1) << "the box shows the entry that is there";
  view_.indexes[G::kStartup] = 0;
  ASSERT_EQ(page_->SaveItems(), 1);
  EXPECT_FALSE(Exists(EntryPath()));
}

TEST_F(GeneralPageTest, SaveWithoutTouchingTheBoxNeverCreatesOrDeletesTheEntry) {
  FillValid();
  ASSERT_EQ(page_->SaveItems(), 1);
  EXPECT_FALSE(Exists(EntryPath()));

  view_.indexes[G::kStartup] = 1;
  ASSERT_EQ(page_->SaveItems(), 1);
  ASSERT_TRUE(Exists(EntryPath()));
  page_->LoadItems();
  unlink(EntryPath().c_str());  // removed by hand after the page was loaded
  ASSERT_EQ(page_->SaveItems(), 1);
  EXPECT_FALSE(Exists(EntryPath()));
}

TEST_F(GeneralPageTest, AutostartFailuresRevertTheBoxButKeepTheSettings) {
  // The autostart folder cannot be made: a file stands where it belongs.
  ASSERT_TRUE(WriteTestFile(config_.path() + "/autostart", "not a folder"));
  FillValid();
  view_.indexes[G::kStartup] = 1;
  EXPECT_EQ(page_->SaveItems(), 1);
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t29|t1|error"});
  EXPECT_EQ(view_.indexes[G::kStartup], 0);
  EXPECT_EQ(settings_.GetDatabaseName(), "gate");

  // The entry cannot be deleted: a folder with content stands at its path.
  unlink((config_.path() + "/autostart").c_str());
  ASSERT_EQ(mkdir((config_.path() + "/autostart").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(EntryPath().c_str(), 0755), 0);
  ASSERT_TRUE(WriteTestFile(EntryPath() + "/keep", "x"));
  page_->LoadItems();
  ASSERT_EQ(view_.indexes[G::kStartup], 1);
  FillValid();
  view_.texts[G::kName] = "second";
  messages_.shown.clear();
  EXPECT_EQ(page_->SaveItems(), 1);
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t30|t1|error"});
  EXPECT_EQ(view_.indexes[G::kStartup], 1);
  EXPECT_EQ(settings_.GetDatabaseName(), "second");
}

}  // namespace
