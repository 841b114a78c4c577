// The option dialog without a toolkit: the page strip from a real
// OptionPageSettings.xml, page changes, Save and Close.
#include "options/DlgOptionMain.h"

#include <gtest/gtest.h>

#include "OptionPageFixture.h"
#include "foundation/ProcessLogCapture.h"
#include "options/DlgOptionGeneral.h"

namespace {

class RecordingDialogView : public IOptionDialogView {
 public:
  void CreatePageView(int page, CDlgOptionPage* model) override {
    journal.push_back("create " + std::to_string(page));
    model->CreatePage(&pageView, messages);
  }
  void ShowPageView(int page) override { journal.push_back("show " + std::to_string(page)); }
  void HidePageView(int page) override { journal.push_back("hide " + std::to_string(page)); }
  void CheckPageButton(int page) override { checked = page; }
  void EndDialog() override { journal.push_back("end"); }

  IOptionMessageBox* messages = nullptr;
  FakePageView pageView;  // every page's fields, by control id
  std::vector<std::string> journal;
  int checked = 0;
};

class OptionMainTest : public OptionPageFixture {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    view_.messages = &messages_;
  }
  std::unique_ptr<CDlgOptionMain> Make(int language = 1) {
    auto main = std::make_unique<CDlgOptionMain>(&view_, &messages_, &texts_, &settings_, language,
                                                 COptionProgramInfo{"/opt/gate/G", "/opt/gate", "G"});
    main->OnInitDialog(GetOptionPageSettingsFilePath(), 7, 7, 31);
    return main;
  }
  static std::string Strip(const CDlgOptionMain& main) {
    std::string out;
    for (const COptionPageButton& b : main.GetButtons()) {
      out += std::to_string(b.page) + "@" + std::to_string(b.left) + ":" + b.caption + " ";
    }
    return out;
  }
  static std::string PageSettings(const std::string& settings) {
    return "<Settings>" + settings + "</Settings>";
  }
  static std::string Key(const char* name, const char* value) {
    return std::string("<Setting><Category>0</Category><Name>") + name + "</Name><Value>" + value +
           "</Value></Setting>";
  }

  RecordingDialogView view_;
};

TEST_F(OptionMainTest, StripFollowsThePageSettings) {
  struct Case {
    const char* name;
    std::string file;  // "" no file
    std::string strip;
  } cases[] = {
      {"no file", "",
       "1@7:t1 2@130:t17 3@253:t46 4@376:t15 5@499:t39 6@622:t48 7@745:t52 "},
      {"data sync hidden", PageSettings(Key("DataSyncVisible", "0")),
       "1@7:t1 3@130:t46 4@253:t15 5@376:t39 6@499:t48 7@622:t52 "},
      {"metro shown last", PageSettings(Key("VuzorMetroEvent", "1")),
       "1@7:t1 2@130:t17 3@253:t46 4@376:t15 5@499:t39 6@622:t48 7@745:t52 8@868:t59 "},
      {"empty is absent, 0 hides, other integers show",
       PageSettings(Key("DataSyncVisible", "") + Key("NvrSyncVisible", "0") + Key("AIEventPublisherVisible", "-3") +
                    Key("ServerStatusVisible", "12abc") + Key("HTNvrSyncVisible", "0") +
                    Key("AlarmOutVisible", "0") + Key("VuzorMetroEvent", "7")),
       "1@7:t1 2@130:t17 4@253:t15 5@376:t39 8@499:t59 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unlink(GetOptionPageSettingsFilePath().c_str());
    if (!c.file.empty()) {
      ASSERT_TRUE(WriteTestFile(GetOptionPageSettingsFilePath(), c.file));
    }
    auto main = Make();
    EXPECT_EQ(Strip(*main), c.strip);
    for (const COptionPageButton& b : main->GetButtons()) {
      EXPECT_EQ(b.width, 120);
      EXPECT_EQ(b.id, 999 + b.page);
      EXPECT_EQ(b.top, 7);
      EXPECT_EQ(b.height, 24);
    }
    main.reset();
    if (c.file.empty()) {
      EXPECT_FALSE(Exists(GetOptionPageSettingsFilePath())) << "never created";
    } else {
      EXPECT_EQ(ReadTestFile(GetOptionPageSettingsFilePath()), c.file) << "never written";
    }
  }
  EXPECT_FALSE(Exists(GetOptionPageSettingsFilePath() + ".tmp"));
}

TEST_F(OptionMainTest, AnUnreadablePageSettingsFileGivesTheDefaultsAndOneLogLine) {
  const std::string broken = "<Settings><Setting><Name>DataSyncVisible";
  ASSERT_TRUE(WriteTestFile(GetOptionPageSettingsFilePath(), broken));
  ProcessLogCapture log;
  auto main = Make();
  EXPECT_EQ(main->GetButtons().size(), 7u);
  std::string lines = log.Text();
  size_t count = 0;
  // The XML reader logs its own error; the dialog adds one line naming the file.
  for (size_t at = lines.find("Cannot read '" + GetOptionPageSettingsFilePath()); at != std::string::npos;
       at = lines.find("Cannot read", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, 1u) << lines;
  EXPECT_EQ(ReadTestFile(GetOptionPageSettingsFilePath()), broken) << "left as it is";
}

TEST_F(OptionMainTest, ButtonFontIsTahomaThirteenPixelsInKoreanElseTwelve) {
  for (int language : {1, 2, 3}) {
    auto main = Make(language);
    EXPECT_EQ(main->GetButtonFont().faceName, "Tahoma");
    EXPECT_EQ(main->GetButtonFont().height, language == 2 ? 13 : 12);
    EXPECT_EQ(main->GetButtonFont().weight, 400);
  }
}

TEST_F(OptionMainTest, PagesAreMadeOnFirstUseAndLoadedOnEveryShow) {
  auto main = Make();
  EXPECT_EQ(view_.journal, (std::vector<std::string>{"create 1", "hide 1", "show 1"}));
  EXPECT_EQ(main->GetCurrentPage(), 1);
  EXPECT_EQ(view_.checked, 1);

  view_.journal.clear();
  main->OnPageButton(1);  // the current page's button does nothing
  EXPECT_TRUE(view_.journal.empty());

  main->OnPageButton(2);
  EXPECT_EQ(view_.journal, (std::vector<std::string>{"create 2", "hide 2", "show 2", "hide 1"}));
  EXPECT_EQ(view_.checked, 2);
  // A job stored behind the page's back shows at the next show: LoadItems runs every time.
  main->OnPageButton(1);
  settings_.SetString(1, "DataSyncItems", "[{\"ID\":\"9\", \"TargetUrl\":\"x\", \"Period\":\"5\"}]");
  view_.journal.clear();
  main->OnPageButton(2);
  EXPECT_EQ(view_.journal, (std::vector<std::string>{"show 2", "hide 1"}));
  EXPECT_EQ(main->GetPage(2)->GetList()->GetItemCount(), 1);
}

TEST_F(OptionMainTest, ARefusingPageKeepsItsPageAndItsButton) {
  auto main = Make();
  view_.pageView.texts[CDlgOptionGeneral::kSystemLogin] = "";  // a change that cannot be saved
  messages_.answers = {true};
  main->OnPageButton(3);
  EXPECT_EQ(main->GetCurrentPage(), 1);
  EXPECT_EQ(view_.checked, 1);
  EXPECT_EQ(main->GetPage(3), nullptr);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"t28|t1|question", "t31|t1|error"}));
}

TEST_F(OptionMainTest, SaveSavesOnlyTheCurrentPageAndCloseRevertsIt) {
  auto main = Make();
  main->OnPageButton(2);
  // An edit of the data sync page, left with No.
  view_.pageView.texts = {{1021, "http://dropped"}, {1025, "60"}};
  main->GetPage(2)->OnBnClickedAdd();
  messages_.answers = {false};
  main->OnPageButton(3);
  // An edit of the NVR page, saved with Save.
  view_.pageView.texts = {{1037, "nvr"}, {1039, "3306"}, {1041, "db"}, {1025, "60"}};
  main->GetPage(3)->OnBnClickedAdd();
  view_.journal.clear();
  main->OnOK();
  EXPECT_TRUE(view_.journal.empty()) << "the dialog stays";
  EXPECT_NE(StoredList("NvrDataSyncItems").find("nvr"), std::string::npos);
  EXPECT_EQ(StoredList("DataSyncItems"), "");

  // Close drops an unsaved Add without a question and ends the dialog.
  main->GetPage(3)->OnBnClickedAdd();
  EXPECT_EQ(main->GetPage(3)->GetList()->GetItemCount(), 2);
  messages_.shown.clear();
  main->OnCancel();
  EXPECT_EQ(view_.journal, std::vector<std::string>{"end"});
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(main->GetPage(3)->GetList()->GetItemCount(), 1);
}

}  // namespace
