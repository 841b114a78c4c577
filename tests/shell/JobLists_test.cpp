// The seven job lists as the application settings store them, with real
// settings files in a temporary program folder.
#include <gtest/gtest.h>

#include "foundation/Aria.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/StringUtil.h"
#include "ProgramFolderFixture.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"

namespace {

class JobListsTest : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    settings_.Load(GetAppSettingsFilePath());
  }
  std::string Stored(const char* key) { return settings_.GetValue(1, key); }
  // Stores `text` as the list value of `key`, as a hand edit of the file would.
  void Store(const char* key, const std::string& text) { settings_.SetString(1, key, text); }

  CLocalAppSettings settings_;
};

const std::string kPassword = AriaEncryptString("pw");
const std::string kPasswordJson = JsonEscape(kPassword);

TEST_F(JobListsTest, DataSyncListIsStoredAsAnArrayOfStringMembers) {
  CDataSynchronizerItem item;
  item.SetID(3);
  item.SetSourceData("TBL_Camera");
  item.SetPeriod(60);
  item.SetTargetUrl("http://10.0.0.1/api/sync");
  item.SetTargetLoginID("user");
  item.SetTargetPassword(kPassword);
  item.SetTargetAuthMethod(2);
  item.SetTargetUseSecureSession(true);
  CDataSynchronizerItem second;
  second.SetID(4);
  CDataSynchronizerItems list;
  list.SetItems({item, second});
  ASSERT_TRUE(settings_.Option_SetDataSyncItems(list));
  EXPECT_EQ(Stored("DataSyncItems"),
            "[{\"ID\":\"3\", \"SourceData\":\"TBL_Camera\", \"Period\":\"60\", "
            "\"TargetUrl\":\"http:\\/\\/10.0.0.1\\/api\\/sync\", \"TargetLoginID\":\"user\", "
            "\"TargetPassword\":\"" + kPasswordJson + "\", \"TargetAuthMethod\":\"2\", "
            "\"TargetUseSecureSession\":\"1\"}, "
            "{\"ID\":\"4\", \"SourceData\":\"\", \"Period\":\"0\", \"TargetUrl\":\"\", \"TargetLoginID\":\"\", "
            "\"TargetPassword\":\"\", \"TargetAuthMethod\":\"0\", \"TargetUseSecureSession\":\"0\"}]");

  CLocalAppSettings reread;
  ASSERT_TRUE(reread.Load(GetAppSettingsFilePath()));
  CDataSynchronizerItems back = reread.Option_GetDataSyncItems();
  EXPECT_TRUE(back.IsEqual(list));
  EXPECT_EQ(back.GetItems()[0].GetTargetPasswordPlain(), "pw");
  EXPECT_EQ(back.GetItems()[0].GetEntityName(), "Device");
}

TEST_F(JobListsTest, EachListWritesItsMembersInItsOwnOrder) {
  CNvrDataSynchronizerItem nvr;
  nvr.SetID(1);
  nvr.SetPeriod(30);
  nvr.SetTargetAddress("10.1.1.1");
  nvr.SetTargetPort(3306);
  nvr.SetTargetName("nvrdb");
  nvr.SetTargetLoginID("root");
  nvr.SetTargetPasswordPlain("pw");
  CNvrDataSynchronizerItems nvrs;
  nvrs.SetItems({nvr});
  settings_.Option_SetNvrDataSyncItems(nvrs);
  EXPECT_EQ(Stored("NvrDataSyncItems"),
            "[{\"ID\":\"1\", \"Period\":\"30\", \"TargetAddress\":\"10.1.1.1\", \"TargetPort\":\"3306\", "
            "\"TargetName\":\"nvrdb\", \"TargetLoginID\":\"root\", \"TargetPassword\":\"" + kPasswordJson + "\"}]");

  CHTNvrDataSynchronizerItem ht;
  ht.SetID(2);
  ht.SetPeriod(5);
  ht.SetTargetAddress("10.1.1.2");
  ht.SetTargetPort(9000);
  ht.SetTargetLoginID("admin");
  ht.SetTargetGroup("Group A");
  CHTNvrDataSynchronizerItems hts;
  hts.SetItems({ht});
  settings_.Option_SetHTNvrDataSyncItems(hts);
  EXPECT_EQ(Stored("HTNvrDataSyncItems"),
            "[{\"ID\":\"2\", \"Period\":\"5\", \"TargetAddress\":\"10.1.1.2\", \"TargetPort\":\"9000\", "
            "\"TargetLoginID\":\"admin\", \"TargetPassword\":\"\", \"TargetGroup\":\"Group A\"}]");

  CAIEventPublisherItem ai;
  ai.SetID(5);
  ai.SetTargetUrl("https://ai.example/e?x=1");
  ai.SetTargetAuthMethod(1);
  CAIEventPublisherItems ais;
  ais.SetItems({ai});
  settings_.Option_SetAIEventPublisherItems(ais);
  EXPECT_EQ(Stored("AIEventPubItems"),
            "[{\"ID\":\"5\", \"TargetUrl\":\"https:\\/\\/ai.example\\/e?x=1\", \"TargetLoginID\":\"\", "
            "\"TargetPassword\":\"\", \"TargetAuthMethod\":\"1\", \"TargetUseSecureSession\":\"0\"}]");

  CServerStatusPublisherItem status;
  status.SetID(6);
  status.SetServerKind(1);
  status.SetTargetUrl("http://s");
  status.SetPeriod(10);
  status.SetTargetAuthMethod(2);
  status.SetTargetUseSecureSession(true);
  CServerStatusPublisherItems statuses;
  statuses.SetItems({status});
  settings_.Option_SetServerStatusPublisherItems(statuses);
  EXPECT_EQ(Stored("ServerStatusPubItems"),
            "[{\"ID\":\"6\", \"ServerKind\":\"1\", \"TargetUrl\":\"http:\\/\\/s\", \"TargetLoginID\":\"\", "
            "\"TargetPassword\":\"\", \"TargetAuthMethod\":\"2\", \"TargetUseSecureSession\":\"1\", "
            "\"Period\":\"10\"}]");

  CAlarmOutputPublisherItem alarm;
  alarm.SetID(7);
  alarm.SetEventKind(2);
  alarm.SetDeviceKind(1);
  alarm.SetEMapAddress("10.0.0.1,10.0.0.2:8080");
  alarm.SetTargetUrl("http://relay");
  CAlarmOutputPublisherItems alarms;
  alarms.SetItems({alarm});
  settings_.Option_SetAlarmOutputPublisherItems(alarms);
  EXPECT_EQ(Stored("AlarmOutputPublisherItems"),
            "[{\"ID\":\"7\", \"EventKind\":\"2\", \"DeviceKind\":\"1\", \"Channel\":\"1\", "
            "\"EMapAddress\":\"10.0.0.1,10.0.0.2:8080\", \"TargetUrl\":\"http:\\/\\/relay\", "
            "\"TargetLoginID\":\"\", \"TargetPassword\":\"\"}]");

  CHttpTargetSite site;
  site.SetTargetUrl("http://a/b");
  site.SetTargetLoginID("u");
  site.SetTargetPassword(kPassword);
  site.SetTargetAuthMethod(2);
  CHttpTargetSite site2;
  site2.SetTargetUrl("http://c");
  CVuzorMetroEventReceiverItem metro;
  metro.SetID(8);
  metro.SetEnable(true);
  metro.SetTargetSites({site, site2});
  CVuzorMetroEventReceiverItem bare;
  bare.SetID(9);
  CVuzorMetroEventReceiverItems metros;
  metros.SetItems({metro, bare});
  settings_.Option_SetVuzorMetroEventReceiverItems(metros);
  EXPECT_EQ(Stored("DMEventReceiverItems"),
            "[{\"ID\":\"8\", \"Enable\":\"1\", \"Port\":\"10002\", \"TargetSites\":["
            "{\"TargetUrl\":\"http:\\/\\/a\\/b\", \"TargetLoginID\":\"u\", \"TargetPassword\":\"" + kPasswordJson +
            "\", \"TargetAuthMethod\":\"2\"}, "
            "{\"TargetUrl\":\"http:\\/\\/c\", \"TargetLoginID\":\"\", \"TargetPassword\":\"\", "
            "\"TargetAuthMethod\":\"0\"}]}, "
            "{\"ID\":\"9\", \"Enable\":\"0\", \"Port\":\"10002\"}]");

  // Every list reads back equal after a restart.
  CLocalAppSettings reread;
  ASSERT_TRUE(reread.Load(GetAppSettingsFilePath()));
  EXPECT_TRUE(reread.Option_GetNvrDataSyncItems().IsEqual(nvrs));
  EXPECT_TRUE(reread.Option_GetHTNvrDataSyncItems().IsEqual(hts));
  EXPECT_TRUE(reread.Option_GetAIEventPublisherItems().IsEqual(ais));
  EXPECT_TRUE(reread.Option_GetServerStatusPublisherItems().IsEqual(statuses));
  EXPECT_TRUE(reread.Option_GetAlarmOutputPublisherItems().IsEqual(alarms));
  EXPECT_TRUE(reread.Option_GetVuzorMetroEventReceiverItems().IsEqual(metros));
  EXPECT_EQ(reread.Option_GetNvrDataSyncItems().GetItems()[0].GetTargetPasswordPlain(), "pw");
  EXPECT_EQ(reread.GetMaxItemID(), 9);
}

TEST_F(JobListsTest, EmptyListIsStoredEmptyAndReadsWithoutALogLine) {
  CDataSynchronizerItems list;
  list.SetItems({CDataSynchronizerItem()});
  settings_.Option_SetDataSyncItems(list);
  ASSERT_FALSE(Stored("DataSyncItems").empty());
  ProcessLogCapture log;
  EXPECT_TRUE(settings_.Option_SetDataSyncItems(CDataSynchronizerItems()));
  EXPECT_TRUE(settings_.HasValue(1, "DataSyncItems"));
  EXPECT_EQ(Stored("DataSyncItems"), "");
  EXPECT_TRUE(settings_.Option_GetDataSyncItems().GetItems().empty());
  Store("AIEventPubItems", "[]");
  EXPECT_TRUE(settings_.Option_GetAIEventPublisherItems().GetItems().empty());
  EXPECT_EQ(log.Text().find("ERROR"), std::string::npos);
}

TEST_F(JobListsTest, ReadingTakesMemberNamesInAnyCaseAndNumbersForStrings) {
  Store("NvrDataSyncItems",
        "[{\"id\":7, \"PERIOD\":\"15\", \"TARGETPORT\":3307, \"targetname\":\"Db\", "
        "\"Unknown\":\"x\"}]");
  CNvrDataSynchronizerItems nvrs = settings_.Option_GetNvrDataSyncItems();
  ASSERT_EQ(nvrs.GetItems().size(), 1u);
  const CNvrDataSynchronizerItem& nvr = nvrs.GetItems()[0];
  EXPECT_EQ(nvr.GetID(), 7);
  EXPECT_EQ(nvr.GetPeriod(), 15);
  EXPECT_EQ(nvr.GetTargetPort(), 3307);
  EXPECT_EQ(nvr.GetTargetName(), "Db");
  EXPECT_EQ(nvr.GetTargetAddress(), "");

  struct Case {
    const char* json;
    bool secure;
  };
  const Case cases[] = {
      {"[{\"ID\":\"1\"}]", false},
      {"[{\"ID\":\"1\", \"TargetUseSecureSession\":\"true\"}]", false},
      {"[{\"ID\":\"1\", \"TargetUseSecureSession\":\"01\"}]", false},
      {"[{\"ID\":\"1\", \"TargetUseSecureSession\":true}]", true},
      {"[{\"ID\":\"1\", \"targetusesecuresession\":1}]", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    Store("AIEventPubItems", c.json);
    CAIEventPublisherItems items = settings_.Option_GetAIEventPublisherItems();
    ASSERT_EQ(items.GetItems().size(), 1u);
    EXPECT_EQ(items.GetItems()[0].GetTargetUseSecureSession(), c.secure);
  }
}

TEST_F(JobListsTest, TextThatIsNoJsonGivesAnEmptyListAndTwoLogLines) {
  struct Case {
    const char* key;
    const char* getterLine;
    size_t (*count)(CLocalAppSettings&);
  };
  const Case cases[] = {
      {"DataSyncItems", "ERROR - Error raised when deserialize data synchronizer items.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetDataSyncItems().GetItems().size(); }},
      {"NvrDataSyncItems", "ERROR - Error raised when deserialize data synchronizer items.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetNvrDataSyncItems().GetItems().size(); }},
      {"HTNvrDataSyncItems", "ERROR - Error raised when deserialize data synchronizer items.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetHTNvrDataSyncItems().GetItems().size(); }},
      {"AIEventPubItems", "ERROR - Error raised when deserialize data.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetAIEventPublisherItems().GetItems().size(); }},
      {"ServerStatusPubItems", "ERROR - Error raised when deserialize data.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetServerStatusPublisherItems().GetItems().size(); }},
      {"AlarmOutputPublisherItems", "ERROR - Error raised when deserialize data.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetAlarmOutputPublisherItems().GetItems().size(); }},
      {"DMEventReceiverItems", "ERROR - Error raised when deserialize data.\r\n",
       [](CLocalAppSettings& s) { return s.Option_GetVuzorMetroEventReceiverItems().GetItems().size(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Store(c.key, "[{\"ID\":\"1\"}, {\"ID\":");
    ProcessLogCapture log;
    EXPECT_EQ(c.count(settings_), 0u);
    std::string text = log.Text();
    size_t reader = text.find("ERROR - Error rarised when parse json data.(");
    size_t getter = text.find(c.getterLine);
    EXPECT_NE(reader, std::string::npos) << text;
    EXPECT_NE(getter, std::string::npos) << text;
    EXPECT_LT(reader, getter);
    Store(c.key, "");
  }
}

TEST_F(JobListsTest, FindByIDGivesTheFirstMatchOrADefaultItem) {
  CAlarmOutputPublisherItem a, b, c;
  a.SetID(4);
  a.SetTargetUrl("first");
  b.SetID(4);
  b.SetTargetUrl("second");
  c.SetID(5);
  CAlarmOutputPublisherItems list;
  list.SetItems({a, b, c});
  EXPECT_EQ(list.FindByID(4).GetTargetUrl(), "first");
  EXPECT_EQ(list.FindPosByID(5) - list.GetItems().begin(), 2);
  CAlarmOutputPublisherItem none = list.FindByID(99);
  EXPECT_EQ(none.GetID(), 0);
  EXPECT_EQ(none.GetChannel(), 1);  // a new alarm output
  EXPECT_EQ(none.GetTargetUrl(), "");
  EXPECT_TRUE(list.FindPosByID(99) == list.GetItems().end());

  CNvrDataSynchronizerItems nvrs;
  EXPECT_EQ(nvrs.FindByID(1).GetID(), 0);
  EXPECT_EQ(nvrs.FindByID(1).GetTargetPort(), 0);
}

TEST_F(JobListsTest, ListsAreEqualOnlyWithTheSameItemsInTheSameOrderAndCase) {
  CNvrDataSynchronizerItem a, b;
  a.SetID(1);
  a.SetTargetName("Site");
  b.SetID(2);
  CNvrDataSynchronizerItem aOtherCase = a;
  aOtherCase.SetTargetName("site");
  CNvrDataSynchronizerItems ab, ba, abCase;
  ab.SetItems({a, b});
  ba.SetItems({b, a});
  abCase.SetItems({aOtherCase, b});
  CNvrDataSynchronizerItems abAgain;
  abAgain.SetItems({a, b});
  EXPECT_TRUE(ab.IsEqual(abAgain));
  EXPECT_FALSE(ab.IsEqual(ba));
  EXPECT_FALSE(ab.IsEqual(abCase));
  CNvrDataSynchronizerItems justA;
  justA.SetItems({a});
  EXPECT_FALSE(ab.IsEqual(justA));

  CHttpTargetSite s1, s2;
  s1.SetTargetUrl("http://x");
  s2 = s1;
  EXPECT_TRUE(s1.IsEqual(s2));
  s2.SetTargetAuthMethod(1);
  EXPECT_FALSE(s1.IsEqual(s2));
  CVuzorMetroEventReceiverItem m1, m2;
  m1.SetTargetSites({s1});
  m2.SetTargetSites({s2});
  EXPECT_FALSE(m1 == m2);
  m2.SetTargetSites({s1});
  EXPECT_TRUE(m1 == m2);
}

TEST_F(JobListsTest, MissingMembersReadAsZeroEmptyOrOff) {
  Store("AlarmOutputPublisherItems", "[{\"ID\":\"3\", \"EventKind\":\"1\"}]");
  CAlarmOutputPublisherItem alarm = settings_.Option_GetAlarmOutputPublisherItems().FindByID(3);
  EXPECT_EQ(alarm.GetEventKind(), 1);
  EXPECT_EQ(alarm.GetChannel(), 0);  // stored without "Channel": 0, not the new record's 1

  Store("DMEventReceiverItems",
        "[{\"ID\":\"4\", \"Enable\":\"true\"}, {\"ID\":\"5\", \"Enable\":\"1\", \"Port\":\"10010\", "
        "\"targetsites\":[{\"targeturl\":\"http://t\"}]}, "
        "{\"ID\":\"6\", \"Enable\":\"1\", \"Other\":{\"a\":\"b\"}, \"TargetSites\":[{\"TargetUrl\":\"http://u\"}]}]");
  CVuzorMetroEventReceiverItems metros = settings_.Option_GetVuzorMetroEventReceiverItems();
  ASSERT_EQ(metros.GetItems().size(), 3u);
  const CVuzorMetroEventReceiverItem& off = metros.GetItems()[0];
  EXPECT_FALSE(off.GetEnable());
  EXPECT_EQ(off.GetPort(), 0);  // not the new job's 10002
  EXPECT_TRUE(off.GetTargetSites().empty());
  const CVuzorMetroEventReceiverItem& on = metros.GetItems()[1];
  EXPECT_TRUE(on.GetEnable());
  EXPECT_EQ(on.GetPort(), 10010);
  ASSERT_EQ(on.GetTargetSites().size(), 1u);
  EXPECT_EQ(on.GetTargetSites()[0].GetTargetUrl(), "http://t");
  // Sites are read only from the first child node; "Other" sorts before them.
  EXPECT_TRUE(metros.GetItems()[2].GetTargetSites().empty());
}

TEST_F(JobListsTest, MaxItemIdSpansAllSevenListsAndIgnoresNegativeIds) {
  EXPECT_EQ(settings_.GetMaxItemID(), 0);
  Store("DataSyncItems", "[{\"ID\":\"3\"}]");
  Store("AlarmOutputPublisherItems", "[{\"ID\":\"9\"}]");
  EXPECT_EQ(settings_.GetMaxItemID(), 9);
  Store("DMEventReceiverItems", "[{\"ID\":\"12\"}]");
  Store("ServerStatusPubItems", "[{\"ID\":\"-40\"}]");
  EXPECT_EQ(settings_.GetMaxItemID(), 12);
  Store("HTNvrDataSyncItems", "[{\"ID\":\"2147483647\"}]");
  EXPECT_EQ(settings_.GetMaxItemID(), 2147483647);
  for (const char* key : {"DataSyncItems", "AlarmOutputPublisherItems", "DMEventReceiverItems",
                          "HTNvrDataSyncItems"})
    Store(key, "");
  EXPECT_EQ(settings_.GetMaxItemID(), 0);
}

TEST_F(JobListsTest, PlainPasswordsAreStoredEnciphered) {
  CAlarmOutputPublisherItem alarm;
  alarm.SetTargetPasswordPlain("relay pw");
  EXPECT_EQ(alarm.GetTargetPassword(), AriaEncryptString("relay pw"));
  EXPECT_EQ(alarm.GetTargetPasswordPlain(), "relay pw");
  CServerStatusPublisherItem status;
  EXPECT_EQ(status.GetTargetPasswordPlain(), "");
  CHTNvrDataSynchronizerItem ht;
  ht.SetTargetPassword(AriaEncryptString("ht"));
  EXPECT_EQ(ht.GetTargetPasswordPlain(), "ht");
}

TEST_F(JobListsTest, EntityNameFollowsTheSourceTableExactly) {
  const std::pair<const char*, const char*> cases[] = {
      {"TBL_Camera", "Device"}, {"TBL_VasIntelligentEvent", "IntelligentEvent"}, {"tbl_camera", ""}, {"", ""}};
  for (const auto& [source, entity] : cases) {
    CDataSynchronizerItem item;
    item.SetSourceData(source);
    EXPECT_EQ(item.GetEntityName(), entity) << source;
  }
}

}  // namespace
