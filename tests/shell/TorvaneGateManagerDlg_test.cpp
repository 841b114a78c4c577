#include "shell/TorvaneGateManagerDlg.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "foundation/MultiLang.h"
#include "shell/LangTexts.h"

#include "ScopedTimeZone.h"
#include "shell/TestGateService.h"
#include "shell/TestTrayHost.h"

namespace {

using Journal = std::shared_ptr<std::vector<std::string>>;
using Dlg = CTorvaneGateManagerDlg;

// Texts "T<n>" for every number but those left empty.
class NumberedCaptions : public ILangTexts {
 public:
  std::string GetText(int index) const override { return "T" + std::to_string(index); }
};

// The window as plain state.
class FakeView : public IMainDialogView {
 public:
  std::string optionText, startText, statusText;
  bool optionEnabled = true;
  std::map<unsigned, int> timers;  // id -> period of running timers
  int postedStartups = 0;
  bool hidden = true;
  bool minimised = false;
  int quits = 0;
  int optionDialogs = 0;
  TestTrayHost tray;
  bool hasTray = true;
  std::vector<std::pair<std::string, unsigned>> menuItems;
  std::vector<CAboutBoxTexts> aboutBoxes;

  void AddSystemMenuItem(const std::string& text, unsigned command) override { menuItems.emplace_back(text, command); }
  void ShowAboutBox(const CAboutBoxTexts& texts) override { aboutBoxes.push_back(texts); }
  void SetOptionButtonText(const std::string& t) override { optionText = t; }
  void SetStartButtonText(const std::string& t) override { startText = t; }
  void SetStatusText(const std::string& t) override { statusText = t; }
  void EnableOptionButton(bool e) override { optionEnabled = e; }
  void StartTimer(unsigned id, int ms) override { timers[id] = ms; }
  void StopTimer(unsigned id) override { timers.erase(id); }
  void PostAppStartup() override { ++postedStartups; }
  void ShowWindowNormal() override { hidden = minimised = false; }
  void HideWindow() override { hidden = true; }
  void MinimizeWindow() override {
    hidden = false;
    minimised = true;
  }
  bool IsWindowHidden() const override { return hidden; }
  void QuitProgram() override { ++quits; }
  void OpenOptionDialog() override { ++optionDialogs; }
  std::string GetWindowTitle() const override { return "TorvaneGateManager"; }
  ITrayHost* GetTrayHost() override { return hasTray ? &tray : nullptr; }
  IResizerHost* GetResizerHost() override { return nullptr; }
};

class MainDialogTest : public ::testing::Test {
 protected:
  std::shared_ptr<TestGateService> Add(int kind) {
    auto service = MakeTestGateService(kind, journal);
    services.push_back(service->AsService());
    return service;
  }
  Dlg& Open(bool start = false, bool hide = false) {
    dialog = std::make_unique<Dlg>(&view, textsInUse, services);
    dialog->SetStartFlag(start);
    dialog->SetHideFlag(hide);
    view.hidden = hide;
    EXPECT_TRUE(dialog->OnInitDialog());
    EXPECT_EQ(view.postedStartups, 1);
    dialog->OnAppStartup();
    journal->clear();
    return *dialog;
  }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < 6; ++c) cells.push_back(dialog->GetList().GetItemText(row, c));
    return cells;
  }

  ScopedTimeZone utc{"UTC"};  // status times read back as written
  Journal journal = std::make_shared<std::vector<std::string>>();
  std::vector<std::shared_ptr<IGateService>> services;
  NumberedCaptions texts;
  const ILangTexts* textsInUse = &texts;
  FakeView view;
  std::unique_ptr<Dlg> dialog;
};

TestJob Job(int id, std::string target = "") {
  TestJob job;
  job.id = id;
  job.target = std::move(target);
  return job;
}

TestStatus Status(int id, std::string time = "", int error = 0, std::string synchronized = "") {
  TestStatus status;
  status.id = id;
  status.lastTime = std::move(time);
  status.lastErrorCode = error;
  status.lastSynchronized = std::move(synchronized);
  return status;
}

TEST_F(MainDialogTest, OpeningInitialisesInTheFixedOrderAndSetsTheCaptions) {
  // Given out of order, and a second service of one kind that does not count.
  Add(kTestMetroEvents);
  Add(kTestDataSync);
  Add(kTestAlarmOutput);
  Add(kTestDataSync);
  services.push_back(nullptr);
  dialog = std::make_unique<Dlg>(&view, &texts, services);
  dialog->OnInitDialog();
  EXPECT_EQ(*journal, (std::vector<std::string>{"Initialize 1", "Initialize 6", "Initialize 7"}));
  EXPECT_EQ(view.optionText, "T1...");
  EXPECT_EQ(view.startText, "T2");
  EXPECT_EQ(view.statusText, "T11");
  CListCtrlEx& list = dialog->GetList();
  ASSERT_EQ(list.GetColumnCount(), 6);
  const char* titles[] = {"T6", "T7", "T8", "T12", "T10", "T14"};
  const int widths[] = {50, 150, 250, 250, 250, 50};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(list.GetHeaderText(c), titles[c]);
    EXPECT_EQ(list.GetColumn(c)->width, widths[c]);
    EXPECT_EQ(list.GetColumn(c)->sortType, LIST_SORT_TEXT);
    EXPECT_EQ(list.GetColumn(c)->data, c);
  }
  EXPECT_EQ(list.GetRowHeight(), 16);
  EXPECT_EQ(list.GetRowFontStyle().faceName, "Tahoma");
  EXPECT_EQ(list.GetRowFontStyle().height, 13);
}

TEST_F(MainDialogTest, StartWithNoConfiguredServiceDoesNothing) {
  auto a = Add(kTestDataSync);
  auto b = Add(kTestAlarmOutput);
  a->configured = b->configured = false;
  a->AddJob(Job(1), Status(1));
  Open(/*start=*/true);  // the start flag too does nothing
  EXPECT_EQ(dialog->GetList().GetItemCount(), 0) << "the list stays empty until a real start";
  dialog->OnBnClickedStart();
  EXPECT_EQ(*journal, (std::vector<std::string>{"IsConfigured 1", "IsConfigured 6"}));
  EXPECT_FALSE(dialog->IsRunning());
  EXPECT_EQ(view.startText, "T2");
  EXPECT_TRUE(view.optionEnabled);
  EXPECT_TRUE(view.timers.empty());
}

TEST_F(MainDialogTest, StartStartsTheConfiguredServicesInOrderAndStopStopsAll) {
  auto metro = Add(kTestMetroEvents);
  auto ai = Add(kTestAIEvents);
  auto sync = Add(kTestDataSync);
  ai->configured = false;
  sync->AddJob(Job(5, "http://a"), Status(5, "2024-01-02 03:04:05"));
  Open();
  ASSERT_EQ(dialog->GetList().GetItemCount(), 1);

  dialog->OnBnClickedStart();
  EXPECT_EQ(*journal, (std::vector<std::string>{"IsConfigured 1", "IsConfigured 1", "Start 1", "IsConfigured 3",
                                                "IsConfigured 7", "Start 7"}));
  EXPECT_TRUE(dialog->IsRunning());
  EXPECT_FALSE(view.optionEnabled);
  EXPECT_EQ(view.startText, "T3");
  EXPECT_EQ(view.timers, (std::map<unsigned, int>{{1000, 1000}}));
  dialog->OnBnClickedOption();
  EXPECT_EQ(view.optionDialogs, 0) << "Option is off while running";

  journal->clear();
  sync->statuses[5] = Status(5, "2024-01-02 03:04:06", 7);
  dialog->OnTimer(1000);
  dialog->OnBnClickedStart();
  EXPECT_EQ(*journal, (std::vector<std::string>{"Stop 1", "Stop 3", "Stop 7"}));
  EXPECT_FALSE(dialog->IsRunning());
  EXPECT_TRUE(view.optionEnabled);
  EXPECT_EQ(view.startText, "T2");
  EXPECT_TRUE(view.timers.empty());
  // Stopping keeps the last values.
  EXPECT_EQ(Row(0), (std::vector<std::string>{"5", "T13", "", "http://a", "2024-01-02 03:04:06", "7"}));
  sync->statuses[5] = Status(5, "2030-01-01 00:00:00", 9);
  dialog->OnTimer(1001);
  EXPECT_EQ(dialog->GetList().GetItemText(0, 5), "7") << "other timers refresh nothing";
  dialog->OnBnClickedOption();
  EXPECT_EQ(view.optionDialogs, 1);
}

TEST_F(MainDialogTest, RowsPerService) {
  auto sync = Add(kTestDataSync);
  auto nvr = Add(kTestNvrSync);
  auto ai = Add(kTestAIEvents);
  auto status = Add(kTestServerStatus);
  auto ht = Add(kTestHTNvrSync);
  auto alarm = Add(kTestAlarmOutput);
  auto metro = Add(kTestMetroEvents);

  TestJob cameras = Job(12, "http://sync");
  cameras.sourceData = "Cameras";
  sync->AddJob(cameras, Status(12, "2024-05-06 07:08:09", 0, "2024-05-06 07:00:00"));
  TestJob events = Job(11, "http://sync2");
  events.sourceData = "Events";
  sync->AddJob(events, Status(11, "", -3));
  nvr->AddJob(Job(20, "10.0.0.5"), Status(20, "2024-01-01 00:00:01", 0, "2024-01-01 00:00:00"));
  ai->AddJob(Job(30, "http://ai"), Status(30));
  ai->AddJob(Job(31, "http://no-status"), Status(0));  // no run status: no row
  status->AddJob(Job(40, "http://status"), Status(40, "", 404));
  ht->AddJob(Job(50, "10.0.0.9"), Status(50, "", 0, ""));
  for (auto [id, kind] : {std::pair{60, 1}, std::pair{61, 2}, std::pair{62, 3}}) {
    TestJob output = Job(id, "http://relay");
    output.channel = id - 58;
    output.eventKind = kind;
    alarm->AddJob(output, Status(id));
  }
  TestJob receiver = Job(70, "ignored");
  receiver.port = 9000;
  metro->AddJob(receiver, Status(70, "2024-02-03 04:05:06"));
  Open();

  const std::vector<std::vector<std::string>> expected = {
      {"11", "T13", "Events", "http://sync2", "", "-3"},
      {"12", "T13", "Cameras (2024-05-06 07:00:00)", "http://sync", "2024-05-06 07:08:09", "0"},
      {"20", "T46", "2024-01-01 00:00:00", "10.0.0.5", "2024-01-01 00:00:01", "0"},
      {"30", "T15", "", "http://ai", "", "0"},
      {"40", "T45", "", "http://status", "", "404"},
      {"50", "T48", "", "10.0.0.9", "", "0"},
      {"60", "T52", "T51 2 - T55", "http://relay", "", "0"},
      {"61", "T52", "T51 3 - T56", "http://relay", "", "0"},
      {"62", "T52", "T51 4", "http://relay", "", "0"},
      {"70", "T60", "T23 9000", "", "2024-02-03 04:05:06", "0"},
  };
  CListCtrlEx& list = dialog->GetList();
  ASSERT_EQ(list.GetItemCount(), static_cast<int>(expected.size()));
  for (size_t row = 0; row < expected.size(); ++row) {
    EXPECT_EQ(Row(static_cast<int>(row)), expected[row]) << "row " << row;
    EXPECT_EQ(list.GetItemData(static_cast<int>(row)), std::stoi(expected[row][0]));
  }
}

// Remembers the numbers asked of the loaded texts.
class RecordingTexts : public ILangTexts {
 public:
  explicit RecordingTexts(const CMultiLang* texts) : texts_(texts) {}
  std::string GetText(int index) const override {
    asked.insert(index);
    return texts_.GetText(index);
  }
  mutable std::set<int> asked;

 private:
  CMultiLangTexts texts_;
};

// Every text the window asks for (captions, columns, tray menu, rows of every
// kind, running or not) is in each shipped language file.
TEST_F(MainDialogTest, TheShippedLanguageFilesHoldEveryTextTheWindowAsksFor) {
  for (int language : {kLanguageEnglish, kLanguageKorean}) {
    SCOPED_TRACE(GetLanguageCode(language));
    CMultiLang loaded;
    ASSERT_EQ(loaded.Load(GATE_SOURCE_DIR "/dist/Language", "TorvaneGateManager", CMultiLang::kMainTable, language),
              language);
    RecordingTexts recording(&loaded);
    textsInUse = &recording;
    services.clear();
    view.postedStartups = 0;
    for (int kind = 1; kind <= 7; ++kind) {
      auto service = Add(kind);
      for (int eventKind : {1, 2}) {
        TestJob job = Job(kind * 10 + eventKind, "http://t");
        job.eventKind = eventKind;
        job.port = 9000;
        service->AddJob(job, Status(job.id, "2024-01-01 00:00:00"));
      }
    }
    Open();
    dialog->OnBnClickedStart();
    dialog->OnTimer(1000);
    dialog->OnBnClickedStart();
    ASSERT_EQ(dialog->GetList().GetItemCount(), 14);
    EXPECT_GE(recording.asked.size(), 20u);
    for (int number : recording.asked) EXPECT_NE(loaded.GetText(number), "") << "text " << number;
    if (language == kLanguageEnglish) {
      EXPECT_EQ(view.optionText, "Option...");
      EXPECT_EQ(dialog->GetList().GetHeaderText(1), "Service");
    }
    dialog.reset();
  }
}

TEST_F(MainDialogTest, TimerRefreshesTheChangingColumnsByJobId) {
  auto sync = Add(kTestDataSync);
  auto ai = Add(kTestAIEvents);
  auto alarm = Add(kTestAlarmOutput);
  TestJob job = Job(1, "http://sync");
  job.sourceData = "Cameras";
  sync->AddJob(job, Status(1));
  ai->AddJob(Job(2, "http://ai"), Status(2));
  alarm->AddJob(Job(3, "http://relay"), Status(3));
  ai->AddJob(Job(1, "http://duplicate"), Status(1, "ai's own", 5));  // the same ID in a later service
  Open();
  dialog->OnBnClickedStart();
  ASSERT_EQ(dialog->GetList().GetItemCount(), 4);
  // Sorted by the error column, the rows are found by their IDs, not their places.
  dialog->GetList().OnHeaderClick(5);

  sync->statuses[1] = Status(1, "2024-03-03 10:00:00", 2, "2024-03-03 09:59:00");
  sync->items[1].target = "http://changed";  // column 3 is not refreshed
  ai->statuses[2] = Status(2, "2024-03-03 10:00:01", 0);
  alarm->items.erase(3);                        // the job is gone: its row keeps its values
  alarm->statuses[3] = Status(3, "never shown", 99);
  ai->items[2].channel = 5;
  dialog->OnTimer(1000);

  std::map<std::string, std::vector<std::string>> rows;
  for (int r = 0; r < 4; ++r) rows[Row(r)[0] + " " + Row(r)[1]] = Row(r);
  EXPECT_EQ(rows["1 T13"], (std::vector<std::string>{"1", "T13", "Cameras (2024-03-03 09:59:00)", "http://sync",
                                                     "2024-03-03 10:00:00", "2"}));
  EXPECT_EQ(rows["1 T15"], (std::vector<std::string>{"1", "T15", "Cameras (2024-03-03 09:59:00)",
                                                     "http://duplicate", "2024-03-03 10:00:00", "2"}))
      << "a duplicate ID is filled from the first service that knows it";
  EXPECT_EQ(rows["2 T15"], (std::vector<std::string>{"2", "T15", "", "http://ai", "2024-03-03 10:00:01", "0"}));
  EXPECT_EQ(rows["3 T52"], (std::vector<std::string>{"3", "T52", "T51 0", "http://relay", "", "0"}));
}

TEST_F(MainDialogTest, StartingAgainRebuildsTheList) {
  auto sync = Add(kTestDataSync);
  sync->AddJob(Job(1), Status(1));
  Open();
  dialog->OnBnClickedStart();
  dialog->OnBnClickedStart();
  sync->AddJob(Job(2), Status(2));
  EXPECT_EQ(dialog->GetList().GetItemCount(), 1);
  dialog->OnBnClickedStart();
  EXPECT_EQ(dialog->GetList().GetItemCount(), 2);
}

TEST_F(MainDialogTest, DestroyingStopsEveryServiceInOrderAndUnsubscribes) {
  auto alarm = Add(kTestAlarmOutput);
  auto sync = Add(kTestDataSync);
  auto ht = Add(kTestHTNvrSync);
  sync->AddJob(Job(1), Status(1));
  std::vector<intptr_t> handed;
  dialog = std::make_unique<Dlg>(&view, &texts, services);
  dialog->SetAuthCodeMapHandler([&](intptr_t map) { handed.push_back(map); });
  dialog->OnInitDialog();
  dialog->OnAppStartup();
  dialog->OnBnClickedStart();

  int authCodes = 42;
  sync->Publish("msg_biot_zav_auth_code_updated", 0, reinterpret_cast<intptr_t>(&authCodes), 0);
  sync->Publish("MSG_DATASYNC_EXECUTED", 0, 1, 0);
  alarm->Publish("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", 0, 2, 0);
  EXPECT_EQ(handed, (std::vector<intptr_t>{reinterpret_cast<intptr_t>(&authCodes)}))
      << "only the data synchronizer's auth-code message is handed on";

  journal->clear();
  dialog.reset();
  // Stop in order, then the last pass in which each lets go of its process-wide resources.
  EXPECT_EQ(*journal, (std::vector<std::string>{"Stop 1", "Stop 5", "Stop 6", "Stop 1", "FinalStop 1", "Stop 5",
                                                "FinalStop 5", "Stop 6", "FinalStop 6"}));
  EXPECT_TRUE(view.timers.empty());
  EXPECT_FALSE(view.tray.shown) << "the tray icon is removed";
  sync->Publish("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", 0, 3, 0);
  EXPECT_EQ(handed.size(), 1u) << "nothing calls into a destroyed window";
}

// An event server that notes its calls in the services' journal.
class JournalEventServer : public IEventServer {
 public:
  explicit JournalEventServer(Journal journal) : journal_(std::move(journal)) {}
  void Configure(const CEventServerSettings& s) override {
    journal_->push_back("Server configure " + s.cameraPrefix + " " + s.eventPrefix + " " +
                        std::to_string(s.pollingStatusType));
  }
  bool Start() override {
    journal_->push_back("Server start");
    return true;
  }
  void Shutdown() override { journal_->push_back("Server shutdown"); }

 private:
  Journal journal_;
};

TEST_F(MainDialogTest, EventServerRunsFromOpeningToDestructionAndServicesGetTheHiddenSettings) {
  auto sync = Add(kTestDataSync);
  auto ai = Add(kTestAIEvents);
  JournalEventServer server(journal);
  CGateServiceHiddenSettings hidden;
  hidden.bIoTEnabled = true;
  hidden.bIoTSiteID = "site-7";
  hidden.vaEventDwellTime = 9;
  dialog = std::make_unique<Dlg>(&view, &texts, services);
  dialog->SetServiceHiddenSettings(hidden);
  dialog->SetEventServer(&server, CEventServerSettings{"CAM", "EVT", 2});
  dialog->OnInitDialog();
  EXPECT_EQ(*journal, (std::vector<std::string>{"Initialize 1", "Initialize 3", "Server configure CAM EVT 2",
                                                "Server start"}));
  for (const auto& service : {sync, ai}) {
    EXPECT_TRUE(service->initializedWith.bIoTEnabled);
    EXPECT_EQ(service->initializedWith.bIoTSiteID, "site-7");
    EXPECT_EQ(service->initializedWith.vaEventDwellTime, 9);
  }
  // Start and Stop leave the server alone.
  dialog->OnAppStartup();
  dialog->OnBnClickedStart();
  dialog->OnBnClickedStart();
  journal->clear();
  dialog.reset();
  EXPECT_EQ(*journal, (std::vector<std::string>{"Stop 1", "Stop 3", "Server shutdown", "Stop 1", "FinalStop 1",
                                                "Stop 3", "FinalStop 3"}));
}

// The window's own menu carries the About box (texts in the legacy code page).
TEST_F(MainDialogTest, TheWindowMenuOpensTheAboutBox) {
  Open();
  ASSERT_EQ(view.menuItems.size(), 1u);
  EXPECT_EQ(view.menuItems[0].first, "TorvaneGateManager \xC1\xA4\xBA\xB8(&A)...");  // CP949
  EXPECT_EQ(view.menuItems[0].second, Dlg::kAboutBoxCommand);
  dialog->OnSysCommand(0xF060);  // another system command
  EXPECT_TRUE(view.aboutBoxes.empty());
  dialog->OnSysCommand(Dlg::kAboutBoxCommand | 0x3);  // the low four bits do not count
  ASSERT_EQ(view.aboutBoxes.size(), 1u);
  EXPECT_EQ(view.aboutBoxes[0].caption, "TorvaneGateManager \xC1\xA4\xBA\xB8");
  EXPECT_EQ(view.aboutBoxes[0].text, "TorvaneGateManager, \xB9\xF6\xC0\xFC 1.0");
  EXPECT_EQ(view.aboutBoxes[0].okText, "\xC8\xAE\xC0\xCE");
}

TEST_F(MainDialogTest, CloseHidesWithATrayIconAndMinimisesWithout) {
  Open();
  view.ShowWindowNormal();
  dialog->OnClose();
  EXPECT_TRUE(view.hidden);
  EXPECT_EQ(view.quits, 0);
  // The tray's Open (a double click sends the default command) shows it normal again.
  ASSERT_EQ(dialog->GetTray().OnTrayNotification(129, CSystemTray::EVENT_LEFT_DOUBLE_CLICK), 1);
  EXPECT_FALSE(view.hidden);
  EXPECT_FALSE(view.minimised);

  view.MinimizeWindow();
  dialog->GetTray().OnMenuCommand(Dlg::kTrayShowCommand);
  EXPECT_FALSE(view.minimised) << "Open on a minimised window restores it";

  // The notification area goes away: close now minimises.
  dialog->OnTrayHostChanged(false);
  dialog->OnClose();
  EXPECT_TRUE(view.minimised);
  EXPECT_FALSE(view.hidden);
  EXPECT_EQ(view.quits, 0);

  dialog->GetTray().OnMenuCommand(Dlg::kTrayExitCommand);
  EXPECT_TRUE(dialog->IsQuitting());
  EXPECT_EQ(view.quits, 1);
  dialog->OnClose();
  EXPECT_EQ(view.quits, 2) << "after Exit a close request ends the program too";
}

TEST_F(MainDialogTest, TrayMenuTakesTheLanguageTextsWithOpenAsDefault) {
  Open();
  const auto& menu = view.tray.menu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].command, Dlg::kTrayShowCommand);
  EXPECT_EQ(menu[0].text, "T4");
  EXPECT_TRUE(menu[0].isDefault);
  EXPECT_EQ(menu[1].command, 0u);
  EXPECT_EQ(menu[2].command, Dlg::kTrayExitCommand);
  EXPECT_EQ(menu[2].text, "T5");
  EXPECT_FALSE(menu[2].isDefault);
  EXPECT_TRUE(view.tray.shown);
  EXPECT_EQ(dialog->GetTray().GetTip(), "TorvaneGateManager");
}

TEST_F(MainDialogTest, HiddenWindowStaysReachableWithoutANotificationArea) {
  view.tray.available = false;
  Open(/*start=*/false, /*hide=*/true);
  EXPECT_TRUE(view.minimised) << "no tray to bring it back: shown minimised";

  view.tray.available = true;
  view.hidden = true;
  view.minimised = false;
  dialog->OnTrayHostChanged(true);
  EXPECT_TRUE(view.tray.shown) << "the icon comes when the area does";
  EXPECT_TRUE(view.hidden);
  dialog->OnTrayHostChanged(false);
  EXPECT_TRUE(view.minimised) << "the area went away while the window was hidden";
}

TEST_F(MainDialogTest, HiddenStartKeepsTheWindowHiddenWithATray) {
  auto sync = Add(kTestDataSync);
  sync->AddJob(Job(1), Status(1));
  Open(/*start=*/true, /*hide=*/true);
  EXPECT_TRUE(view.hidden);
  EXPECT_FALSE(view.minimised);
  EXPECT_TRUE(dialog->IsRunning()) << "the start flag pressed Start";
  EXPECT_EQ(dialog->GetList().GetItemCount(), 1);
  dialog->OnBnClickedStart();
  dialog->OnBnClickedStart();
  EXPECT_TRUE(dialog->IsRunning()) << "a stop clears the start flag, a new click starts again";
}

TEST_F(MainDialogTest, KoreanLanguageSelectsTheKoreanListFont) {
  dialog = std::make_unique<Dlg>(&view, &texts, services);
  dialog->SetLanguageCode(2);
  dialog->OnInitDialog();
  EXPECT_EQ(dialog->GetList().GetRowFontStyle().faceName, "\xB1\xBC\xB8\xB2");  // CP949
  EXPECT_EQ(dialog->GetList().GetRowFontStyle().height, 12);
}

}  // namespace
