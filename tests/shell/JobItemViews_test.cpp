// What the main window reads of each service's job records.
#include "shell/JobItemViews.h"

#include <gtest/gtest.h>

#include "ScopedTimeZone.h"

namespace {

TEST(JobItemViews, ItemsGiveTheColumnsOfTheirService) {
  CDataSynchronizerItem sync;
  sync.SetID(1);
  sync.SetSourceData("TBL_Camera");
  sync.SetTargetUrl("http://sync");
  CGateServiceItem view = MakeGateServiceItem(sync);
  EXPECT_EQ(view.id, 1);
  EXPECT_EQ(view.sourceData, "TBL_Camera");
  EXPECT_EQ(view.target, "http://sync");

  CNvrDataSynchronizerItem nvr;
  nvr.SetID(2);
  nvr.SetTargetAddress("10.0.0.2");
  EXPECT_EQ(MakeGateServiceItem(nvr).target, "10.0.0.2");
  CHTNvrDataSynchronizerItem ht;
  ht.SetTargetAddress("10.0.0.3");
  EXPECT_EQ(MakeGateServiceItem(ht).target, "10.0.0.3");
  CAIEventPublisherItem ai;
  ai.SetTargetUrl("http://ai");
  EXPECT_EQ(MakeGateServiceItem(ai).target, "http://ai");
  CServerStatusPublisherItem server;
  server.SetID(4);
  server.SetTargetUrl("http://status");
  EXPECT_EQ(MakeGateServiceItem(server).id, 4);
  EXPECT_EQ(MakeGateServiceItem(server).target, "http://status");

  CAlarmOutputPublisherItem alarm;
  alarm.SetID(6);
  alarm.SetEventKind(2);
  alarm.SetChannel(8);
  alarm.SetTargetUrl("http://relay");
  view = MakeGateServiceItem(alarm);
  EXPECT_EQ(view.eventKind, 2);
  EXPECT_EQ(view.channel, 8);
  EXPECT_EQ(view.target, "http://relay");

  CVuzorMetroEventReceiverItem metro;
  metro.SetID(7);
  view = MakeGateServiceItem(metro);
  EXPECT_EQ(view.id, 7);
  EXPECT_EQ(view.port, 10002);
}

TEST(JobItemViews, StatusesShowLocalTimesOrNothing) {
  ScopedTimeZone zone("Asia/Seoul");
  CDataSynchronizerItemStatus sync;
  sync.SetID(1);
  sync.SetLastDateTimeSynchronized("2020-01-02 03:04:05");
  sync.SetLastDateTimeExecuted("2020-01-02 03:05:05");
  sync.SetLastErrorCode(3);
  CGateServiceItemStatus view = MakeGateServiceItemStatus(sync);
  EXPECT_EQ(view.id, 1);
  EXPECT_EQ(view.lastSynchronizedText, "2020-01-02 12:04:05");
  EXPECT_EQ(view.lastTimeText, "2020-01-02 12:05:05");
  EXPECT_EQ(view.lastErrorCode, 3);

  CAlarmOutputPublisherItemStatus alarm;
  alarm.SetID(2);
  alarm.SetLastDateTimeExecuted("not a time");
  alarm.SetLastErrorCode(4);
  view = MakeGateServiceItemStatus(alarm);
  EXPECT_EQ(view.id, 2);
  EXPECT_EQ(view.lastTimeText, "");
  EXPECT_EQ(view.lastErrorCode, 4);

  CVuzorMetroEventReceiverItemStatus metro;
  metro.SetID(3);
  metro.SetLastDateTimeReceived("2021-12-31 20:00:00");
  view = MakeGateServiceItemStatus(metro);
  EXPECT_EQ(view.lastTimeText, "2022-01-01 05:00:00");
  EXPECT_EQ(view.lastSynchronizedText, "");
}

}  // namespace
