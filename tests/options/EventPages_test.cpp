// What the event services' pages add to the shared job-list behaviour: the AI
// event, server status and alarm output pages, and the metro event receiver
// page with its target sites; real AppSettings.xml files in a temporary
// program folder.
#include <gtest/gtest.h>

#include "OptionPageFixture.h"
#include "foundation/StringUtil.h"
#include "options/DlgOptionAIEvent.h"
#include "options/DlgOptionAlarmOutput.h"
#include "options/DlgOptionServerStatus.h"
#include "options/DlgOptionVuzorMetroEvent.h"
#include "shell/JobRecord.h"

namespace {

const std::string kEmptyPassword = "HvlzTVQWXkT53oJKc1dBEA==";

// --- AI event page ---

class AIEventPageTest : public OptionPageFixture {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    Open(page_);
  }
  CDlgOptionAIEvent page_{&texts_, &settings_};
};

TEST_F(AIEventPageTest, AddWithOnlyAUrlStoresAnEmptyLoginAndTheEncipheredEmptyPassword) {
  EXPECT_EQ(page_.GetList()->GetItemCount(), 0);
  view_.texts[CDlgOptionAIEvent::kTargetUrl] = " http://ai/events ";
  page_.OnBnClickedAdd();
  page_.SaveItems();
  EXPECT_EQ(StoredList("AIEventPubItems"),
            "[{\"ID\":\"101\", \"TargetUrl\":\"http:\\/\\/ai\\/events\", \"TargetLoginID\":\"\", \"TargetPassword\":\"" +
                JsonEscape(kEmptyPassword) + "\", \"TargetAuthMethod\":\"0\", \"TargetUseSecureSession\":\"0\"}]");
}

TEST_F(AIEventPageTest, TheUrlIsRequiredAlsoForAModifyOfTheLoginOnly) {
  settings_.SetString(1, "AIEventPubItems",
                      "[{\"ID\":\"4\", \"TargetUrl\":\" http://a \", \"TargetLoginID\":\"u\"}, "
                      "{\"ID\":\"5\", \"TargetUrl\":\" http://b \", \"TargetLoginID\":\"u\"}]");
  page_.LoadItems();
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"4", " http://a ", "u"})) << "stored spaces are kept";
  Select(page_, {0}, 0);
  view_.texts[CDlgOptionAIEvent::kTargetUrl] = "";
  view_.texts[CDlgOptionAIEvent::kPassword] = "new";
  page_.OnBnClickedModify();
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t31|t1|error"});
  EXPECT_EQ(view_.focus, CDlgOptionAIEvent::kTargetUrl);

  // A Modify of the second row keeps the first one's URL as stored, spaces and all.
  Select(page_, {1}, 1);
  view_.texts[CDlgOptionAIEvent::kUser] = "v";
  page_.OnBnClickedModify();
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"4", " http://a ", "u"}));
  EXPECT_EQ(Row(page_, 1), (std::vector<std::string>{"5", "http://b", "v"}));
}

TEST_F(AIEventPageTest, AStoredListThatDoesNotParseShowsEmptyAndIsNotRewritten) {
  settings_.SetString(1, "AIEventPubItems", "[{\"ID\":\"4\", broken");
  page_.LoadItems();
  EXPECT_EQ(page_.GetList()->GetItemCount(), 0);
  int saves = settings_.saves;
  EXPECT_EQ(page_.QueryClose(), 1);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(settings_.saves, saves);
  EXPECT_EQ(StoredList("AIEventPubItems"), "[{\"ID\":\"4\", broken");
}

// --- Server status page ---

class ServerStatusPageTest : public OptionPageFixture {
 protected:
  void SetUp() override {
    OptionPageFixture::SetUp();
    Open(page_);
  }
  CDlgOptionServerStatus page_{&texts_, &settings_};
};

TEST_F(ServerStatusPageTest, NewPageShowsPeriodFiveAndTheFirstKind) {
  EXPECT_EQ(view_.texts[CDlgOptionServerStatus::kPeriod], "5");
  EXPECT_EQ(view_.indexes[CDlgOptionServerStatus::kServerKind], 0);
  EXPECT_EQ(page_.GetFields()[0].choices, (std::vector<std::string>{"t41", "t42"}));
}

TEST_F(ServerStatusPageTest, KindsShowByNumberAndAModifyStoresTheListsChoice) {
  settings_.SetString(1, "ServerStatusPubItems",
                      "[{\"ID\":\"1\", \"ServerKind\":\"0\", \"TargetUrl\":\"a\", \"Period\":\"5\"}, "
                      "{\"ID\":\"2\", \"ServerKind\":\"1\", \"TargetUrl\":\"b\", \"Period\":\"5\"}, "
                      "{\"ID\":\"3\", \"ServerKind\":\"2\", \"TargetUrl\":\"c\", \"Period\":\"5\"}, "
                      "{\"ID\":\"4\", \"ServerKind\":\"7\", \"TargetUrl\":\"d\", \"Period\":\"5\"}]");
  page_.LoadItems();
  const char* kinds[] = {"t41", "t42", "t44", "t41"};
  const int selections[] = {0, 1, -1, -1};
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(Row(page_, row)[1], kinds[row]) << row;
    Select(page_, {row}, row);
    EXPECT_EQ(view_.indexes[CDlgOptionServerStatus::kServerKind], selections[row]) << row;
  }
  // Kind 2 focused, nothing selected in the list: the Modify stores 0.
  Select(page_, {2}, 2);
  page_.OnBnClickedModify();
  EXPECT_EQ(Row(page_, 2)[1], "t41");
  page_.SaveItems();
  EXPECT_NE(StoredList("ServerStatusPubItems").find("{\"ID\":\"3\", \"ServerKind\":\"0\""), std::string::npos);
}

// --- Alarm output page ---

class AlarmOutputPageTest : public OptionPageFixture {
 protected:
  using A = CDlgOptionAlarmOutput;
  void SetUp() override {
    OptionPageFixture::SetUp();
    Open(page_);
  }
  void Fill(const char* channel, int eventIndex) {
    view_.texts = {{A::kChannel, channel}, {A::kTargetUrl, " http://relay "}, {A::kEMapAddress, " http://e1, http://e2 "},
                   {A::kUser, " admin "}, {A::kPassword, "pw"}};
    view_.indexes[A::kEventKind] = eventIndex;
  }
  CDlgOptionAlarmOutput page_{&texts_, &settings_};
};

TEST_F(AlarmOutputPageTest, NewPageShowsTheNoteTheOneBoardAndChannelOne) {
  EXPECT_EQ(page_.GetFields()[0].label, "* t53");
  EXPECT_EQ(page_.GetFields()[1].choices, std::vector<std::string>{"ET-0808"});
  EXPECT_EQ(view_.texts[A::kChannel], "1");
  EXPECT_EQ(view_.indexes[A::kEventKind], 0);
  EXPECT_EQ(view_.indexes[A::kDeviceType], 0);
}

TEST_F(AlarmOutputPageTest, ChannelsOutsideOneToSixtyFourGetTheIntegerPrompt) {
  struct Case {
    const char* channel;
    bool accepted;
  } cases[] = {{"0", false}, {"65", false}, {"", false}, {"4x", false}, {"1", true}, {"64", true}};
  for (const Case& c : cases) {
    Fill(c.channel, 0);
    messages_.shown.clear();
    view_.focus = 0;
    int before = page_.GetList()->GetItemCount();
    page_.OnBnClickedAdd();
    EXPECT_EQ(page_.GetList()->GetItemCount(), before + (c.accepted ? 1 : 0)) << c.channel;
    if (!c.accepted) {
      EXPECT_EQ(messages_.shown, std::vector<std::string>{"t62|t1|error"}) << c.channel;
      EXPECT_EQ(view_.focus, A::kChannel);
    }
  }
}

TEST_F(AlarmOutputPageTest, NewJobOnChannelThreeWithTheSecondEvent) {
  Fill("3", 1);
  page_.OnBnClickedAdd();
  EXPECT_EQ(Row(page_, 0),
            (std::vector<std::string>{"101", "ET-0808", "http://relay", "admin", "3", "t56", " http://e1, http://e2 "}));
  page_.SaveItems();
  EXPECT_EQ(StoredList("AlarmOutputPublisherItems"),
            "[{\"ID\":\"101\", \"EventKind\":\"2\", \"DeviceKind\":\"1\", \"Channel\":\"3\", "
            "\"EMapAddress\":\" http:\\/\\/e1, http:\\/\\/e2 \", \"TargetUrl\":\"http:\\/\\/relay\", "
            "\"TargetLoginID\":\"admin\", \"TargetPassword\":\"" +
                JsonEscape(EncipherJobPassword("pw")) + "\"}]");
}

TEST_F(AlarmOutputPageTest, StoredKindsShowByNumberAndModifyGivesDeviceAndUrlToTheFocusedRowOnly) {
  settings_.SetString(1, "AlarmOutputPublisherItems",
                      "[{\"ID\":\"1\", \"EventKind\":\"2\", \"DeviceKind\":\"2\", \"Channel\":\"5\", \"TargetUrl\":\"a\"}, "
                      "{\"ID\":\"2\", \"EventKind\":\"3\", \"DeviceKind\":\"2\", \"Channel\":\"6\", \"TargetUrl\":\"b\"}]");
  page_.LoadItems();
  EXPECT_EQ(Row(page_, 0)[1], "ET-0808") << "whatever the stored kind";
  EXPECT_EQ(Row(page_, 0)[5], "t56");
  EXPECT_EQ(Row(page_, 1)[5], "");
  Select(page_, {1}, 1);
  EXPECT_EQ(view_.indexes[A::kEventKind], -1) << "no entry for kind 3";
  Select(page_, {0}, 0);
  EXPECT_EQ(view_.indexes[A::kEventKind], 1);

  Select(page_, {0, 1}, 1);
  Fill("9", 0);
  view_.texts[A::kTargetUrl] = "http://new";
  page_.OnBnClickedModify();
  page_.SaveItems();
  CAlarmOutputPublisherItems stored = settings_.Option_GetAlarmOutputPublisherItems();
  ASSERT_EQ(stored.GetItems().size(), 2u);
  const CAlarmOutputPublisherItem& first = stored.GetItems()[0];
  const CAlarmOutputPublisherItem& second = stored.GetItems()[1];
  EXPECT_EQ(first.GetDeviceKind(), 2);
  EXPECT_EQ(first.GetTargetUrl(), "a");
  EXPECT_EQ(second.GetDeviceKind(), 1);
  EXPECT_EQ(second.GetTargetUrl(), "http://new");
  for (const CAlarmOutputPublisherItem& item : stored.GetItems()) {
    EXPECT_EQ(item.GetChannel(), 9);
    EXPECT_EQ(item.GetEventKind(), 1);
    EXPECT_EQ(item.GetEMapAddress(), " http://e1, http://e2 ");
    EXPECT_EQ(item.GetTargetLoginID(), "admin");
    EXPECT_EQ(item.GetTargetPasswordPlain(), "pw");
  }
}

// Texts 55 and 56 the same: the event entry still follows the stored kind.
class SameEventTexts : public ILangTexts {
 public:
  std::string GetText(int index) const override { return index == 55 || index == 56 ? "Event" : ""; }
};

TEST_F(OptionPageFixture, AlarmEventEntryFollowsTheKindEvenWithEqualTexts) {
  SameEventTexts texts;
  CDlgOptionAlarmOutput page(&texts, &settings_);
  settings_.SetString(1, "AlarmOutputPublisherItems",
                      "[{\"ID\":\"1\", \"EventKind\":\"2\", \"DeviceKind\":\"1\", \"Channel\":\"5\", \"TargetUrl\":\"a\"}]");
  Open(page);
  Select(page, {0}, 0);
  EXPECT_EQ(view_.indexes[CDlgOptionAlarmOutput::kEventKind], 1);
  page.OnBnClickedModify();
  EXPECT_EQ(settings_.Option_GetAlarmOutputPublisherItems().GetItems()[0].GetEventKind(), 2);
  page.SaveItems();
  EXPECT_EQ(settings_.Option_GetAlarmOutputPublisherItems().GetItems()[0].GetEventKind(), 2);
}

TEST_F(AlarmOutputPageTest, ARefusedChannelOnLeavingOrSaveShowsThePromptYetTheListIsSaved) {
  Fill("7", 0);
  page_.OnBnClickedAdd();
  view_.texts[A::kChannel] = "99";
  messages_.shown.clear();
  messages_.answers = {true};
  EXPECT_EQ(page_.QueryClose(), 1);
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{"t62|t1|error", "t28|t1|question"}));
  EXPECT_EQ(settings_.Option_GetAlarmOutputPublisherItems().GetItems().size(), 1u);

  Fill("7", 0);
  page_.OnBnClickedAdd();
  view_.texts[A::kChannel] = "0";
  messages_.shown.clear();
  EXPECT_EQ(page_.SaveItems(), 1);
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t62|t1|error"});
  EXPECT_EQ(settings_.Option_GetAlarmOutputPublisherItems().GetItems().size(), 2u);
}

// --- Metro event receiver page ---

class MetroPageTest : public OptionPageFixture {
 protected:
  using M = CDlgOptionVuzorMetroEvent;
  void SetUp() override {
    OptionPageFixture::SetUp();
    Open(page_);
  }
  void AddSite(const std::string& url, const std::string& user, const std::string& password) {
    view_.texts[M::kTargetUrl] = url;
    view_.texts[M::kUser] = user;
    view_.texts[M::kPassword] = password;
    page_.OnBnClickedAdd();
  }
  CDlgOptionVuzorMetroEvent page_{&texts_, &settings_};
};

TEST_F(MetroPageTest, NothingStoredOpensDisabledOnPort10002WithoutSites) {
  EXPECT_EQ(view_.indexes[M::kEnable], 0);
  EXPECT_EQ(view_.texts[M::kPort], "10002");
  EXPECT_EQ(page_.GetList()->GetItemCount(), 0);
  EXPECT_FALSE(view_.enabled);
  view_.indexes[M::kEnable] = 1;
  page_.OnCheckClicked(M::kEnable);
  EXPECT_TRUE(view_.enabled);
  // The sites list has no ID column.
  ASSERT_EQ(page_.GetList()->GetColumnCount(), 2);
  EXPECT_EQ(page_.GetList()->GetHeaderText(0), "t32");
  EXPECT_EQ(page_.GetList()->GetColumn(0)->width, 250);
  EXPECT_EQ(page_.GetList()->GetHeaderText(1), "t24");
  EXPECT_EQ(page_.GetList()->GetColumn(1)->width, 150);
}

TEST_F(MetroPageTest, SitesAreEditedByPosition) {
  AddSite(" http://s1 ", "u1", "p1");
  AddSite("http://s2", "u2", "p2");
  AddSite("http://s3", "u3", "p3");
  EXPECT_EQ(page_.GetList()->GetSelectedItems(), std::vector<int>{2});
  view_.texts[M::kTargetUrl] = "";
  page_.OnBnClickedAdd();
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t31|t1|error"});
  EXPECT_EQ(view_.focus, M::kTargetUrl);

  Select(page_, {0, 1}, 0);
  view_.texts = {{M::kTargetUrl, "http://first"}, {M::kUser, "all"}, {M::kPassword, "pw"}};
  page_.OnBnClickedModify();
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"http://first", "all"}));
  EXPECT_EQ(Row(page_, 1), (std::vector<std::string>{"http://s2", "all"}));
  EXPECT_EQ(Row(page_, 2), (std::vector<std::string>{"http://s3", "u3"}));

  Select(page_, {0, 2}, 2);
  page_.OnBnClickedDelete();
  ASSERT_EQ(page_.GetList()->GetItemCount(), 1);
  EXPECT_EQ(Row(page_, 0), (std::vector<std::string>{"http://s2", "all"}));
  view_.texts[M::kPassword] = "";
  Select(page_, {0}, 0);
  EXPECT_EQ(view_.texts[M::kPassword], "pw");
}

TEST_F(MetroPageTest, AnEnabledReceiverNeedsAPortAndLeavingWithARefusedSaveStays) {
  view_.indexes[M::kEnable] = 1;
  for (const char* port : {"", "0", "70000"}) {
    view_.texts[M::kPort] = port;
    view_.focus = 0;
    messages_.shown.clear();
    EXPECT_EQ(page_.SaveItems(), 0) << port;
    EXPECT_EQ(view_.focus, M::kPort);
    EXPECT_EQ(messages_.shown, std::vector<std::string>{"t31|t1|error"});
  }
  EXPECT_EQ(StoredList("DMEventReceiverItems"), "");
  messages_.answers = {true};
  EXPECT_EQ(page_.QueryClose(), 0);

  // Unticked, any port is saved, 0 included; the first item takes a new ID.
  view_.indexes[M::kEnable] = 0;
  view_.texts[M::kPort] = "0";
  EXPECT_EQ(page_.SaveItems(), 1);
  EXPECT_EQ(StoredList("DMEventReceiverItems"),
            "[{\"ID\":\"101\", \"Enable\":\"0\", \"Port\":\"0\"}]");
}

TEST_F(MetroPageTest, OnlyTheFirstItemIsEditedAndTheSecondIsWrittenBackUnchanged) {
  const std::string second = "{\"ID\":\"8\", \"Enable\":\"1\", \"Port\":\"9999\", \"TargetSites\":[{\"TargetUrl\":"
                             "\"http:\\/\\/other\", \"TargetLoginID\":\"o\", \"TargetPassword\":\"\", "
                             "\"TargetAuthMethod\":\"3\"}]}";
  settings_.SetString(1, "DMEventReceiverItems",
                      "[{\"ID\":\"7\", \"Enable\":\"1\", \"Port\":\"10005\"}, " + second + "]");
  page_.LoadItems();
  EXPECT_EQ(view_.texts[M::kPort], "10005");
  EXPECT_TRUE(view_.enabled);
  AddSite("http://site", "me", "admin");
  page_.SaveItems();
  EXPECT_EQ(StoredList("DMEventReceiverItems"),
            "[{\"ID\":\"7\", \"Enable\":\"1\", \"Port\":\"10005\", \"TargetSites\":[{\"TargetUrl\":"
            "\"http:\\/\\/site\", \"TargetLoginID\":\"me\", \"TargetPassword\":\"DE\\/ezEp+Lw+LFByBAvAG4A==\", "
            "\"TargetAuthMethod\":\"0\"}]}, " + second + "]");
}

TEST_F(MetroPageTest, LeavingAsksForSitesAddedToAReceiverNeverSaved) {
  // Compared with a new receiver: the added site is a change, not dropped without a word.
  AddSite("http://site", "", "");
  messages_.answers = {true};
  EXPECT_EQ(page_.QueryClose(), 1);
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"t28|t1|question"});
  EXPECT_NE(StoredList("DMEventReceiverItems").find("http:\\/\\/site"), std::string::npos);

  // Shown again and retyped unchanged: no question.
  page_.LoadItems();
  Select(page_, {0}, 0);
  page_.OnBnClickedModify();
  messages_.shown.clear();
  EXPECT_EQ(page_.QueryClose(), 1);
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
