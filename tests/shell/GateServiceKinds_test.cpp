// The kind descriptors: numbers and texts of the seven kinds, and the job
// list columns each makes from a real job record and its run status.
#include <gtest/gtest.h>

#include <vector>

#include "ScopedTimeZone.h"
#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"

namespace {

class NumberedTexts : public ILangTexts {
 public:
  std::string GetText(int index) const override { return "T" + std::to_string(index); }
};

TEST(GateServiceKinds, NumbersNamesAndRoles) {
  struct Case {
    const CGateServiceKind* kind;
    int number;
    int nameText;
    bool detailsFollowStatus;
    bool publishesAuthCodes;
  };
  const Case cases[] = {
      {&kDataSynchronizerKind, 1, 13, true, true},      {&kNvrDataSynchronizerKind, 2, 46, true, false},
      {&kAIEventPublisherKind, 3, 15, false, false},    {&kServerStatusPublisherKind, 4, 45, false, false},
      {&kHTNvrDataSynchronizerKind, 5, 48, true, false}, {&kAlarmOutputPublisherKind, 6, 52, false, false},
      {&kMetroEventReceiverKind, 7, 60, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind->name);
    EXPECT_EQ(c.kind->number, c.number);
    EXPECT_EQ(c.kind->nameText, c.nameText);
    EXPECT_EQ(c.kind->detailsFollowStatus, c.detailsFollowStatus);
    EXPECT_EQ(c.kind->publishesAuthCodes, c.publishesAuthCodes);
  }
}

void ExpectRow(const CJobRow& row, const std::vector<std::string>& expected, int error) {
  EXPECT_EQ((std::vector<std::string>{row.details, row.target, row.time}), expected);
  EXPECT_EQ(row.lastErrorCode, error);
}

TEST(GateServiceKinds, RowsOfEveryKindInLocalTime) {
  ScopedTimeZone zone("Asia/Seoul");
  NumberedTexts texts;

  CDataSynchronizerItem sync;
  sync.SetSourceData("TBL_Camera");
  sync.SetTargetUrl("http://sync");
  CDataSynchronizerItemStatus syncStatus;
  syncStatus.SetLastDateTimeSynchronized("2020-01-02 03:04:05");
  syncStatus.SetLastDateTimeExecuted("2020-01-02 03:05:05");
  syncStatus.SetLastErrorCode(3);
  ExpectRow(kDataSynchronizerKind.MakeRow(sync, syncStatus, &texts),
            {"TBL_Camera (2020-01-02 12:04:05)", "http://sync", "2020-01-02 12:05:05"}, 3);
  syncStatus.SetLastDateTimeSynchronized("");
  EXPECT_EQ(kDataSynchronizerKind.MakeRow(sync, syncStatus, &texts).details, "TBL_Camera") << "nothing synchronized yet";

  CNvrDataSynchronizerItem nvr;
  nvr.SetTargetAddress("10.0.0.2");
  CNvrDataSynchronizerItemStatus nvrStatus;
  nvrStatus.SetLastDateTimeSynchronized("2020-01-02 03:04:05");
  ExpectRow(kNvrDataSynchronizerKind.MakeRow(nvr, nvrStatus, &texts), {"2020-01-02 12:04:05", "10.0.0.2", ""}, 0);
  CHTNvrDataSynchronizerItem ht;
  ht.SetTargetAddress("10.0.0.3");
  ExpectRow(kHTNvrDataSynchronizerKind.MakeRow(ht, nvrStatus, &texts), {"2020-01-02 12:04:05", "10.0.0.3", ""}, 0);

  CAIEventPublisherItem ai;
  ai.SetTargetUrl("http://ai");
  CAIEventPublisherItemStatus aiStatus;
  aiStatus.SetLastDateTimeExecuted("not a time");
  aiStatus.SetLastErrorCode(500);
  ExpectRow(kAIEventPublisherKind.MakeRow(ai, aiStatus, &texts), {"", "http://ai", ""}, 500);
  CServerStatusPublisherItem server;
  server.SetTargetUrl("http://status");
  CServerStatusPublisherItemStatus serverStatus;
  serverStatus.SetLastDateTimeExecuted("2021-12-31 20:00:00");
  ExpectRow(kServerStatusPublisherKind.MakeRow(server, serverStatus, &texts),
            {"", "http://status", "2022-01-01 05:00:00"}, 0);

  CAlarmOutputPublisherItem alarm;
  alarm.SetChannel(8);
  alarm.SetTargetUrl("http://relay");
  CAlarmOutputPublisherItemStatus alarmStatus;
  for (auto [eventKind, details] : {std::pair{1, "T51 8 - T55"}, std::pair{2, "T51 8 - T56"}, std::pair{3, "T51 8"}}) {
    alarm.SetEventKind(eventKind);
    ExpectRow(kAlarmOutputPublisherKind.MakeRow(alarm, alarmStatus, &texts), {details, "http://relay", ""}, 0);
  }
  EXPECT_EQ(kAlarmOutputPublisherKind.MakeRow(alarm, alarmStatus, nullptr).details, " 8") << "no texts";

  CVuzorMetroEventReceiverItem metro;
  CVuzorMetroEventReceiverItemStatus metroStatus;
  metroStatus.SetLastDateTimeReceived("2021-12-31 20:00:00");
  metroStatus.SetLastErrorCode(7);
  ExpectRow(kMetroEventReceiverKind.MakeRow(metro, metroStatus, &texts), {"T23 10002", "", "2022-01-01 05:00:00"}, 7);
}

}  // namespace
