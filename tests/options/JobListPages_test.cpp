// The behaviour every job-list page shares, checked on each page from one
// table, then what each synchronizer page adds; real AppSettings.xml files in
// a temporary program folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "OptionPageFixture.h"
#include "options/DlgOptionAIEvent.h"
#include "options/DlgOptionAlarmOutput.h"
#include "options/DlgOptionDataSync.h"
#include "options/DlgOptionHTNvrDataSync.h"
#include "options/DlgOptionNvrDataSync.h"
#include "options/DlgOptionServerStatus.h"
#include "foundation/StringUtil.h"
#include "shell/JobRecord.h"

namespace {

using PageMaker = std::function<std::unique_ptr<CDlgOptionPage>(const ILangTexts*, CLocalAppSettings*)>;

template <typename Page>
PageMaker Maker() {
  return [](const ILangTexts* texts, CLocalAppSettings* settings) { return std::make_unique<Page>(texts, settings); };
}

struct JobPageCase {
  const char* name;
  PageMaker make;
  const char* listKey;
  std::vector<std::pair<std::string, int>> columns;  // header and width after the ID column
  std::map<int, std::string> validTexts;             // edits of a valid job
  std::vector<std::pair<int, const char*>> required;  // required fields in page order, with their message
  int identifyingField;                              // Modify sets it on the focused row only
  int identifyingColumn;
  int userField;
  int userColumn;
  int passwordField;
};

const JobPageCase kJobPages[] = {
    {"DataSync", Maker<CDlgOptionDataSync>(), "DataSyncItems",
     {{"t36", 150}, {"t32", 250}, {"t24", 150}, {"t33", 50}},
     {{1021, "http://target/sync"}, {1033, "user"}, {1034, "secret"}, {1025, "60"}},
     {{1021, "t31"}, {1025, "t31"}}, 1021, 2, 1033, 3, 1034},
    {"NvrDataSync", Maker<CDlgOptionNvrDataSync>(), "NvrDataSyncItems",
     {{"t22", 250}, {"t23", 100}, {"t27", 150}, {"t24", 150}, {"t33", 50}},
     {{1037, "10.0.0.5"}, {1039, "3306"}, {1041, "torvane"}, {1033, "root"}, {1034, "secret"}, {1025, "60"}},
     {{1037, "t31"}, {1039, "t31"}, {1041, "t31"}, {1025, "t31"}}, 1037, 1, 1033, 4, 1034},
    {"HTNvrDataSync", Maker<CDlgOptionHTNvrDataSync>(), "HTNvrDataSyncItems",
     {{"t22", 250}, {"t23", 100}, {"t47", 150}, {"t24", 150}, {"t33", 50}},
     {{1037, "10.0.0.6"}, {1039, "9000"}, {1041, "Lobby"}, {1033, "admin"}, {1034, "secret"}, {1025, "86400"}},
     {{1037, "t31"}, {1039, "t31"}, {1025, "t31"}}, 1037, 1, 1033, 4, 1034},
    {"AIEvent", Maker<CDlgOptionAIEvent>(), "AIEventPubItems", {{"t32", 250}, {"t24", 150}},
     {{1021, "http://events/ai"}, {1033, "ai"}, {1034, "secret"}}, {{1021, "t31"}}, 1021, 1, 1033, 2, 1034},
    {"ServerStatus", Maker<CDlgOptionServerStatus>(), "ServerStatusPubItems",
     {{"t43", 150}, {"t32", 250}, {"t24", 150}, {"t33", 50}},
     {{1021, "http://status"}, {1033, "st"}, {1034, "secret"}, {1025, "5"}}, {{1021, "t31"}, {1025, "t31"}}, 1021,
     2, 1033, 3, 1034},
    // The channel is refused with the integer prompt before the URL is checked.
    {"AlarmOutput", Maker<CDlgOptionAlarmOutput>(), "AlarmOutputPublisherItems",
     {{"t50", 150}, {"t32", 250}, {"t24", 150}, {"t51", 50}, {"t54", 80}, {"t57", 200}},
     {{1047, "3"}, {1021, "http://relay"}, {1022, "http://emap"}, {1033, "admin"}, {1034, "secret"}},
     {{1047, "t62"}, {1021, "t31"}}, 1021, 2, 1033, 3, 1034},
};

class JobListPageTest : public OptionPageFixture, public ::testing::WithParamInterface<JobPageCase> {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    page_ = GetParam().make(&texts_, &settings_);
    Open(*page_);
  }
  void FillValid(const std::map<int, std::string>& changes = {}) {
    for (const auto& [id, text] : GetParam().validTexts) view_.texts[id] = text;
    for (const auto& [id, text] : changes) view_.texts[id] = text;
  }
  // Adds `count` valid jobs, the identifying field and the user numbered, and saves them.
  void AddStoredJobs(int count) {
    const JobPageCase& c = GetParam();
    for (int i = 0; i < count; ++i) {
      FillValid({{c.identifyingField, "host" + std::to_string(i)}, {c.userField, "user" + std::to_string(i)},
                 {c.passwordField, "pw"}});
      page_->OnBnClickedAdd();
    }
    page_->SaveItems();
    page_->LoadItems();
  }
  std::string Cell(int row, int column) { return page_->GetList()->GetItemText(row, column); }

  std::unique_ptr<CDlgOptionPage> page_;
};

TEST_P(JobListPageTest, ColumnsStartWithTheJobId) {
  CListCtrlEx* list = page_->GetList();
  ASSERT_EQ(list->GetColumnCount(), static_cast<int>(GetParam().columns.size()) + 1);
  EXPECT_EQ(list->GetHeaderText(0), "t6");
  EXPECT_EQ(list->GetColumn(0)->width, 50);
  for (size_t i = 0; i < GetParam().columns.size(); ++i) {
    EXPECT_EQ(list->GetHeaderText(static_cast<int>(i) + 1), GetParam().columns[i].first);
    EXPECT_EQ(list->GetColumn(static_cast<int>(i) + 1)->width, GetParam().columns[i].second);
  }
}

TEST_P(JobListPageTest, RequiredFieldsAreCheckedInPageOrderWithoutDrawingAnId) {
  const auto& required = GetParam().required;
  for (size_t failing = 0; failing < required.size(); ++failing) {
    FillValid();
    // Blank this field and every later one: the check must stop at this one.
    for (size_t later = failing; later < required.size(); ++later) view_.texts[required[later].first] = "  ";
    view_.focus = 0;
    messages_.shown.clear();
    page_->OnBnClickedAdd();
    EXPECT_EQ(view_.focus, required[failing].first) << "field " << required[failing].first;
    EXPECT_EQ(messages_.shown, std::vector<std::string>{std::string(required[failing].second) + "|t1|error"});
    EXPECT_EQ(page_->GetList()->GetItemCount(), 0);
  }
  FillValid();
  page_->OnBnClickedAdd();
  ASSERT_EQ(page_->GetList()->GetItemCount(), 1);
  EXPECT_EQ(Cell(0, 0), "101") << "a refused Add draws no ID";
}

TEST_P(JobListPageTest, AddAppendsTheNextIdWithTheEncipheredPasswordAndSelectsItAlone) {
  AddStoredJobs(1);
  FillValid({{GetParam().passwordField, "admin"}});
  page_->OnBnClickedAdd();
  CListCtrlEx* list = page_->GetList();
  ASSERT_EQ(list->GetItemCount(), 2);
  EXPECT_EQ(Cell(1, 0), "102");
  EXPECT_EQ(list->GetItemData(1), 102);
  EXPECT_EQ(list->GetSelectedItems(), std::vector<int>{1});
  EXPECT_EQ(list->GetFocusedSelectedItem(), 1);
  page_->SaveItems();
  EXPECT_NE(StoredList(GetParam().listKey).find("\"TargetPassword\":\"DE\\/ezEp+Lw+LFByBAvAG4A==\""),
            std::string::npos)
      << StoredList(GetParam().listKey);
}

TEST_P(JobListPageTest, ModifyGivesTheIdentifyingFieldToTheFocusedRowAndTheRestToEverySelectedRow) {
  const JobPageCase& c = GetParam();
  AddStoredJobs(3);
  Select(*page_, {0, 1, 2}, 1);
  FillValid({{c.identifyingField, "changed"}, {c.userField, "everyone"}, {c.passwordField, "new pw"}});
  page_->OnBnClickedModify();
  EXPECT_EQ(Cell(0, c.identifyingColumn), "host0");
  EXPECT_EQ(Cell(1, c.identifyingColumn), "changed");
  EXPECT_EQ(Cell(2, c.identifyingColumn), "host2");
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, c.userColumn), "everyone");
    view_.texts[c.passwordField] = "";
    Select(*page_, {row}, row);
    EXPECT_EQ(view_.texts[c.passwordField], "new pw") << "row " << row;
  }
}

TEST_P(JobListPageTest, ModifyWithoutASelectionChangesNothingAndAsksNothing) {
  AddStoredJobs(1);
  Select(*page_, {}, -1);
  view_.texts.clear();  // even empty required fields are not checked
  page_->OnBnClickedModify();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Cell(0, GetParam().identifyingColumn), "host0");
}

TEST_P(JobListPageTest, DeleteRemovesSelectedRowsFromTheHighestDownWithoutAQuestion) {
  AddStoredJobs(4);
  Select(*page_, {1, 3}, 3);
  page_->OnBnClickedDelete();
  ASSERT_EQ(page_->GetList()->GetItemCount(), 2);
  EXPECT_EQ(Cell(0, 0), "101");
  EXPECT_EQ(Cell(1, 0), "103");
  EXPECT_TRUE(messages_.shown.empty());
  messages_.answers = {true};
  page_->QueryClose();
  std::string stored = StoredList(GetParam().listKey);
  EXPECT_EQ(stored.find("\"ID\":\"102\""), std::string::npos);
  EXPECT_NE(stored.find("\"ID\":\"103\""), std::string::npos);
}

TEST_P(JobListPageTest, LeavingWithChangesAsksAndSavesOnlyOnYes) {
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    page_->LoadItems();
    int before = page_->GetList()->GetItemCount();
    FillValid();
    page_->OnBnClickedAdd();
    messages_.shown.clear();
    messages_.answers = {yes};
    EXPECT_EQ(page_->QueryClose(), 1) << "a job-list page is always left";
    EXPECT_EQ(messages_.shown, std::vector<std::string>{"t28|t1|question"});
    page_->LoadItems();
    EXPECT_EQ(page_->GetList()->GetItemCount(), yes ? before + 1 : before);
  }
}

TEST_P(JobListPageTest, APasswordRetypedUnchangedIsNoChange) {
  AddStoredJobs(2);
  Select(*page_, {0}, 0);  // the job shows in the fields, its password deciphered
  page_->OnBnClickedModify();
  messages_.shown.clear();
  EXPECT_EQ(page_->QueryClose(), 1);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_P(JobListPageTest, SaveWritesTheFileOnceAndOnlyTheWorkingCopy) {
  AddStoredJobs(1);
  FillValid({{GetParam().identifyingField, "typed but not added"}});
  int saves = settings_.saves;
  EXPECT_EQ(page_->SaveItems(), 1);
  EXPECT_EQ(settings_.saves, saves + 1);
  EXPECT_EQ(StoredList(GetParam().listKey).find("typed but not added"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Pages, JobListPageTest, ::testing::ValuesIn(kJobPages),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The data sync page ---

class DataSyncPageTest : public OptionPageFixture {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    Open(page_);
  }
  CDlgOptionDataSync page_{&texts_, &settings_};
};

TEST_F(DataSyncPageTest, NewPageShowsPeriodSixtyAndTheCameraTable) {
  EXPECT_EQ(view_.texts[CDlgOptionDataSync::kPeriod], "60");
  EXPECT_EQ(view_.indexes[CDlgOptionDataSync::kDataType], 0);
  EXPECT_EQ(page_.GetFields()[0].choices, (std::vector<std::string>{"t37", "t38"}));
  EXPECT_EQ(view_.texts[CDlgOptionDataSync::kTargetUrl], "");
}

TEST_F(DataSyncPageTest, StoredJobsKeepWhatThePageDoesNotEdit) {
  // "tbl_camera": the row's text ignores case, the selection compares exactly.
  settings_.SetString(1, "DataSyncItems",
                      "[{\"ID\":\"5\", \"SourceData\":\"tbl_camera\", \"Period\":\"30\", \"TargetUrl\":\" http://a \", "
                      "\"TargetLoginID\":\"u\", \"TargetPassword\":\"\", \"TargetAuthMethod\":\"2\", "
                      "\"TargetUseSecureSession\":\"1\"}]");
  page_.LoadItems();
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"5", "t37", " http://a ", "u", "30"}));
  Select(page_, {0}, 0);
  EXPECT_EQ(view_.indexes[CDlgOptionDataSync::kDataType], 1);
  view_.indexes[CDlgOptionDataSync::kDataType] = 0;
  view_.texts[CDlgOptionDataSync::kPeriod] = "45";
  page_.OnBnClickedModify();
  page_.SaveItems();
  EXPECT_EQ(StoredList("DataSyncItems"),
            "[{\"ID\":\"5\", \"SourceData\":\"TBL_Camera\", \"Period\":\"45\", \"TargetUrl\":\"http:\\/\\/a\", "
            "\"TargetLoginID\":\"u\", \"TargetPassword\":\"HvlzTVQWXkT53oJKc1dBEA==\", "
            "\"TargetAuthMethod\":\"2\", \"TargetUseSecureSession\":\"1\"}]")
      << "the empty password is enciphered anew";
}

TEST_F(DataSyncPageTest, ModifyGivesTheDataTypeToTheFocusedRowOnly) {
  for (int i = 0; i < 2; ++i) {
    view_.texts = {{1021, "http://t" + std::to_string(i)}, {1025, "60"}};
    view_.indexes[CDlgOptionDataSync::kDataType] = 0;
    page_.OnBnClickedAdd();
  }
  Select(page_, {0, 1}, 1);
  view_.indexes[CDlgOptionDataSync::kDataType] = 1;
  view_.texts[CDlgOptionDataSync::kPeriod] = "15";
  page_.OnBnClickedModify();
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"101", "t37", "http://t0", "", "15"}));
  EXPECT_EQ(Row(page_, 1), (std::vector<std::string>{"102", "t38", "http://t1", "", "15"}));
}

TEST_F(DataSyncPageTest, AddedJobIsStoredAsTheListIsWritten) {
  view_.indexes[CDlgOptionDataSync::kDataType] = 1;
  view_.texts = {{1021, "  http://t/e  "}, {1033, " me "}, {1034, " admin"}, {1025, "120"}};
  page_.OnBnClickedAdd();
  page_.SaveItems();
  EXPECT_EQ(StoredList("DataSyncItems"),
            "[{\"ID\":\"101\", \"SourceData\":\"TBL_VasIntelligentEvent\", \"Period\":\"120\", "
            "\"TargetUrl\":\"http:\\/\\/t\\/e\", \"TargetLoginID\":\"me\", \"TargetPassword\":\"" +
                JsonEscape(EncipherJobPassword(" admin")) +
                "\", \"TargetAuthMethod\":\"0\", \"TargetUseSecureSession\":\"0\"}]");
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"101", "t38", "http://t/e", "me", "120"}));
}

// --- The NVR and HT NVR pages ---

TEST_F(OptionPageFixture, NvrPortsOutsideOneToMaxAreRefused) {
  CDlgOptionNvrDataSync page(&texts_, &settings_);
  Open(page);
  struct Case {
    const char* port;
    bool accepted;
  } cases[] = {{"0", false}, {"70000", false}, {"", false}, {"1", true}, {"65535", true}};
  for (const Case& c : cases) {
    view_.texts = {{1037, "nvr"}, {1039, c.port}, {1041, "db"}, {1025, "60"}};
    view_.focus = 0;
    int before = page.GetList()->GetItemCount();
    page.OnBnClickedAdd();
    EXPECT_EQ(page.GetList()->GetItemCount(), before + (c.accepted ? 1 : 0)) << c.port;
    EXPECT_EQ(view_.focus, c.accepted ? 0 : CDlgOptionNvrDataSync::kPort) << c.port;
  }
  EXPECT_EQ(Row(page, 1), (std::vector<std::string>{"102", "nvr", "65535", "db", "", "60"}));
}

TEST_F(OptionPageFixture, HtNvrPageDefaultsToADayAndTakesAnEmptyGroup) {
  CDlgOptionHTNvrDataSync page(&texts_, &settings_);
  Open(page);
  EXPECT_EQ(view_.texts[CDlgOptionHTNvrDataSync::kPeriod], "86400");
  view_.texts[1037] = "ht";
  view_.texts[1039] = "7000";
  page.OnBnClickedAdd();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(Row(page, 0), (std::vector<std::string>{"101", "ht", "7000", "", "", "86400"}));
  // Add then Delete of the same job leaves the lists equal: nothing to ask.
  page.OnBnClickedDelete();
  EXPECT_EQ(page.QueryClose(), 1);
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
