#include "app/TorvaneGateManagerApp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "foundation/MultiLang.h"
#include "platform/Folders.h"
#include "platform/ProgramFolder.h"
#include "shell/InstanceChannel.h"
#include "support/LocalListener.h"
#include "support/TempDir.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Records every call of the start-up steps, with what the program folder
// shows at that moment, so the order of the real steps is visible too.
class RecordingServices : public IStartupServices {
 public:
  explicit RecordingServices(std::string folder, std::string language = "Auto")
      : folder_(std::move(folder)), language_(std::move(language)) {}

  void LoadHiddenSettings() override {
    size_t dumps = platform::ListFolder(folder_ + "/Dump").size();
    steps.push_back("LoadHiddenSettings settings-folder=" + std::to_string(Exists(folder_ + "/Settings")) +
                    " dumps=" + std::to_string(dumps));
  }
  int GetDebugUseLogFile() override {
    steps.push_back("GetDebugUseLogFile");
    return useLogFile;
  }
  void LoadAppSettings(const std::string& path) override {
    steps.push_back("LoadAppSettings " + Relative(path) + " holding '" + ReadTestFile(path) + "'");
  }
  std::string GetUILanguage() override {
    steps.push_back("GetUILanguage");
    return language_;
  }
  int GetMaxItemID() override {
    steps.push_back("GetMaxItemID");
    return 41;
  }
  bool SaveAppSettings(std::string* path) override {
    steps.push_back("SaveAppSettings");
    *path = folder_ + "/Settings/AppSettings.xml";
    return saves;
  }

  std::vector<std::string> steps;
  int useLogFile = 0;
  bool saves = true;

 private:
  std::string Relative(const std::string& path) const {
    return path.compare(0, folder_.size() + 1, folder_ + "/") == 0 ? path.substr(folder_.size() + 1) : path;
  }

  std::string folder_;
  std::string language_;
};

// Runs the start-up code with `folder` as the program folder.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetProgramFolderOverride(dir_.path()); }
  void TearDown() override { platform::SetProgramFolderOverride(""); }

  TempDir dir_;
};

const char* const kNoArguments[] = {"TorvaneGateManager"};

using StartupOrder = ProgramFolderTest;

TEST_F(StartupOrder, StepsRunInOrderAroundTheRealOnes) {
  std::string folder = dir_.path();
  // A watchdog that notes its arguments, a default settings file and seven old dumps.
  ASSERT_TRUE(WriteTestFile(folder + "/Watchdog",
                            "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$(dirname \"$0\")/wd.tmp\"\n"
                            "mv \"$(dirname \"$0\")/wd.tmp\" \"$(dirname \"$0\")/watchdog-args.txt\"\n"));
  chmod((folder + "/Watchdog").c_str(), 0755);
  ASSERT_EQ(mkdir((folder + "/Dump").c_str(), 0755), 0);
  for (int day = 1; day <= 7; ++day) {
    ASSERT_TRUE(WriteTestFile(folder + "/Dump/app_tests-2024010" + std::to_string(day) + "-120000.dmp", "x"));
  }
  ASSERT_EQ(mkdir((folder + "/Settings").c_str(), 0755), 0);
  ASSERT_TRUE(WriteTestFile(folder + "/Settings/AppSettings_Default.xml", "default"));
  ASSERT_EQ(mkdir((folder + "/Language").c_str(), 0755), 0);
  ASSERT_TRUE(WriteTestFile(folder + "/Language/TorvaneGateManager_KOR.txt", "Kor0\nKor1\n"));
  ASSERT_TRUE(WriteTestFile(folder + "/Language/TorvaneGateManager_ENG.txt", "Eng0\nEng1\nEng2\n"));

  RecordingServices services(folder, "korean");
  std::string safeFile = folder + "/safe_" + std::to_string(getpid());
  {
    CTorvaneGateManagerApp app;
    app.SetStartupServices(&services);
    const char* argv[] = {"TorvaneGateManager", "-start", "-hide"};
    ASSERT_EQ(app.InitInstance(3, argv), CTorvaneGateManagerApp::StartResult::kRunMainWindow);
    EXPECT_EQ(services.steps, (std::vector<std::string>{
                                  "LoadHiddenSettings settings-folder=1 dumps=5",
                                  "GetDebugUseLogFile",
                                  "LoadAppSettings Settings/AppSettings.xml holding 'default'",
                                  "GetUILanguage",
                                  "GetMaxItemID",
                              }));
    // The chosen language, with English beneath it for the texts it lacks.
    EXPECT_EQ(app.GetLanguageCode(), 2);
    EXPECT_EQ(app.GetLanguageTexts().GetText(1), "Kor1");
    EXPECT_EQ(app.GetLanguageTexts().GetText(2), "Eng2");
    // The free look-up that windows use answers from the same texts.
    EXPECT_EQ(GetLangText(1), "Kor1");
    EXPECT_EQ(GetLangText(2), "Eng2");
    EXPECT_EQ(GetLangText(3), "");
    EXPECT_TRUE(app.GetCommandLine().start());
    EXPECT_TRUE(app.GetCommandLine().hide());
    EXPECT_EQ(app.GetProgramFolder(), folder);

    // The newest five dumps remain.
    std::vector<std::string> dumps;
    for (const auto& e : platform::ListFolder(folder + "/Dump")) dumps.push_back(e.name);
    EXPECT_EQ(dumps.front(), "app_tests-20240103-120000.dmp");
    EXPECT_EQ(dumps.back(), "app_tests-20240107-120000.dmp");

    // The safe file holds the program's full path, nothing more.
    EXPECT_EQ(app.GetSafeFilePath(), safeFile);
    EXPECT_EQ(ReadTestFile(safeFile), platform::GetProgramPath());
    // The watchdog got the program file name and "-v 1", as separate arguments.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Exists(folder + "/watchdog-args.txt") && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadTestFile(folder + "/watchdog-args.txt"), "[app_tests]\n[-v]\n[1]\n");

    services.steps.clear();
    EXPECT_EQ(app.ExitInstance(), 0);
    // The settings are written once more while the log is still open.
    EXPECT_EQ(services.steps, std::vector<std::string>{"SaveAppSettings"});
    EXPECT_TRUE(Exists(safeFile)) << "removed only when the application object goes";
  }
  EXPECT_FALSE(Exists(safeFile));
  EXPECT_EQ(GetLangText(1), "") << "the texts went with the application object";
}

TEST_F(StartupOrder, ExistingSettingsAreNeverReplacedByTheDefault) {
  std::string folder = dir_.path();
  ASSERT_EQ(mkdir((folder + "/Settings").c_str(), 0755), 0);
  ASSERT_TRUE(WriteTestFile(folder + "/Settings/AppSettings_Default.xml", "default"));
  ASSERT_TRUE(WriteTestFile(folder + "/Settings/AppSettings.xml", "edited"));
  RecordingServices services(folder);
  CTorvaneGateManagerApp app;
  app.SetStartupServices(&services);
  ASSERT_EQ(app.InitInstance(1, kNoArguments), CTorvaneGateManagerApp::StartResult::kRunMainWindow);
  EXPECT_EQ(services.steps.at(2), "LoadAppSettings Settings/AppSettings.xml holding 'edited'");
  EXPECT_EQ(app.GetSafeFilePath(), "") << "no watchdog beside the program: no safe file";
  app.ExitInstance();
}

using SingleInstance = ProgramFolderTest;

TEST_F(SingleInstance, SecondInstanceShowsTheFirstUnlessStartedByTheWatchdog) {
  RecordingServices firstServices(dir_.path()), laterServices(dir_.path());
  CTorvaneGateManagerApp first;
  first.SetStartupServices(&firstServices);
  ASSERT_EQ(first.InitInstance(1, kNoArguments), CTorvaneGateManagerApp::StartResult::kRunMainWindow);
  LocalListener listener(first.GetInstanceChannelPath());
  ASSERT_TRUE(listener.ok());

  {
    CTorvaneGateManagerApp byHand;
    byHand.SetStartupServices(&laterServices);
    EXPECT_EQ(byHand.InitInstance(1, kNoArguments), CTorvaneGateManagerApp::StartResult::kSecondInstance);
    EXPECT_EQ(DecodeInstanceCommand(listener.ReceiveOne()), kTrayShowCommand);
    byHand.ExitInstance();
  }
  {
    CTorvaneGateManagerApp byWatchdog;
    byWatchdog.SetStartupServices(&laterServices);
    const char* argv[] = {"TorvaneGateManager", "ByWatchdog=1"};
    EXPECT_EQ(byWatchdog.InitInstance(2, argv), CTorvaneGateManagerApp::StartResult::kSecondInstance);
    EXPECT_TRUE(byWatchdog.GetCommandLine().start());
    // The send happens inside InitInstance: had it sent, a client would wait now.
    EXPECT_FALSE(listener.Pending(0));
    byWatchdog.ExitInstance();
  }
  // A second instance loads nothing.
  EXPECT_TRUE(laterServices.steps.empty());

  first.ExitInstance();
  CTorvaneGateManagerApp next;
  next.SetStartupServices(&laterServices);
  EXPECT_EQ(next.InitInstance(1, kNoArguments), CTorvaneGateManagerApp::StartResult::kRunMainWindow)
      << "the lock is free once the first instance has ended";
  next.ExitInstance();
}

TEST_F(SingleInstance, UnusableLockFileRunsAsTheFirstInstance) {
  ASSERT_EQ(mkdir(InstanceLockPath(dir_.path(), platform::GetProgramFileName()).c_str(), 0755), 0);
  CTorvaneGateManagerApp app;
  EXPECT_EQ(app.InitInstance(1, kNoArguments), CTorvaneGateManagerApp::StartResult::kRunMainWindow);
  app.ExitInstance();
}

}  // namespace
