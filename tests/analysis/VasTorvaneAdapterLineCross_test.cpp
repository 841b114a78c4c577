// The own-kind adapter's line documents (lines, groups, base counts and
// their reset) as the fake own-kind server received them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VasConfigPeer.h"
#include "VasTestStore.h"
#include "analysis/VasLineCounts.h"
#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasLineCross.h"
#include "foundation/ProcessLogCapture.h"

namespace {

struct LineSpec {
  int id, device, number, event;
  int type = 0, useEvent = 1, grouping = 0, start = 0, group = 0, order = 0, enable = 1;
};

// Server 1 with device 1 on channel 3 and device 2 on channel 5; event 1
// watches classes 1 and 3, cropped from the top at 80 %. Device 1's lines:
// 1 (event 1, both ways, in group 7 at place 1), 2 (a missing event, group 7
// place 2), 3 (event 1, group 7's start line), 4 (no event), 5 (disabled).
// Device 2 has only a line without event.
struct LineFixture {
  FakeAnalysisServer server{AnswerOnce(kOkReply)};
  VasTestStore store;
  std::shared_ptr<CTBLVas> row;

  LineFixture() {
    row = store.AddServer(1, server.port());
    store.AddDevice(1, 1, 3);
    store.AddDevice(2, 1, 5);
    auto event = std::make_unique<CTBLVasIntelligentEvent>();
    event->SetVasIntelligentEventID(1);
    event->SetClassList("1,3");
    event->SetObjectCropCriteria(1);
    event->SetObjectCropPercent(80);
    EXPECT_TRUE(store.get()->AddEntity(event.get(), 0));
    const LineSpec lines[] = {
        {1, 1, 1, 1, 1, 1, 1, 0, 7, 1},    {2, 1, 2, 55, 0, 1, 1, 0, 7, 2},
        {3, 1, 3, 1, 0, 1, 1, 1, 7, 0},    {4, 1, 4, 0},
        {5, 1, 5, 1, 0, 1, 0, 0, 0, 0, 0}, {6, 2, 1, 0},
    };
    for (const LineSpec& spec : lines) {
      auto line = std::make_unique<CTBLVasLineCross>();
      line->SetVasLineCrossID(spec.id);
      line->SetVasDeviceID(spec.device);
      line->SetNumber(spec.number);
      line->SetVasIntelligentEventID(spec.event);
      line->SetType(spec.type);
      line->SetUseEvent(spec.useEvent);
      line->SetIsLineGrouping(spec.grouping);
      line->SetIsStartLineInGroup(spec.start);
      line->SetGroupNumber(spec.group);
      line->SetOrderInGroup(spec.order);
      line->SetEnable(spec.enable);
      line->SetStartX(spec.number * 10);
      line->SetStartY(spec.number * 10 + 1);
      line->SetEndX(spec.number * 10 + 2);
      line->SetEndY(spec.number * 10 + 3);
      EXPECT_TRUE(store.get()->AddEntity(line.get(), 0));
    }
  }

  // Runs `call`; returns the body the server received.
  std::string Sent(const std::function<int(VasTorvaneAdapter&, int*)>& call) { return SentBody(*row, server, call); }
};

std::string LineItem(int number, int bothway, int event) {
  auto n = [](int v) { return std::to_string(v); };
  return "\t\t\t<LineItem>\r\n\t\t\t\t<ID>" + n(number) + "</ID>\r\n\t\t\t\t<Point1>\r\n\t\t\t\t\t<X>" +
         n(number * 10) + "</X>\r\n\t\t\t\t\t<Y>" + n(number * 10 + 1) +
         "</Y>\r\n\t\t\t\t</Point1>\r\n\t\t\t\t<Point2>\r\n\t\t\t\t\t<X>" + n(number * 10 + 2) +
         "</X>\r\n\t\t\t\t\t<Y>" + n(number * 10 + 3) +
         "</Y>\r\n\t\t\t\t</Point2>\r\n\t\t\t\t<ObjectIDList>1,3</ObjectIDList>\r\n"
         "\t\t\t\t<ObjectCropCriteria>Top</ObjectCropCriteria>\r\n\t\t\t\t<ObjectCropPercent>80</ObjectCropPercent>\r\n"
         "\t\t\t\t<Bothway>" +
         n(bothway) + "</Bothway>\r\n\t\t\t\t<Event>" + n(event) + "</Event>\r\n\t\t\t</LineItem>\r\n";
}

// A count line item with (class, forward, backward) per class.
std::string CountItem(int number, const std::vector<std::vector<int>>& classes) {
  std::string item = "\t\t\t<LineItem>\r\n\t\t\t\t<ID>" + std::to_string(number) + "</ID>\r\n";
  for (const std::vector<int>& c : classes) {
    item += "\t\t\t\t<ObjectItem>\r\n\t\t\t\t\t<ID>" + std::to_string(c[0]) + "</ID>\r\n\t\t\t\t\t<ForwardCount>" +
            std::to_string(c[1]) + "</ForwardCount>\r\n\t\t\t\t\t<BackwardCount>" + std::to_string(c[2]) +
            "</BackwardCount>\r\n\t\t\t\t</ObjectItem>\r\n";
  }
  return item + "\t\t\t</LineItem>\r\n";
}

const std::string kBaseHead = "<Analysis>\r\n\t<LCBase>\r\n";
const std::string kBaseTail = "\t</LCBase>\r\n</Analysis>\r\n";
const std::string kBaseOpen = "\t\t<LCBaseItem>\r\n\t\t\t<Channel>3</Channel>\r\n";
const std::string kBaseClose = "\t\t</LCBaseItem>\r\n";

// Lines with a cached event, in number order; a group's start line raises no
// event of its own; a device whose lines have no event adds no block.
TEST(VasTorvaneAdapterLineCross, LinesWithTheirEvents) {
  LineFixture f;
  ProcessLogCapture log;
  EXPECT_EQ(f.Sent([&](VasTorvaneAdapter& a, int* e) { return a.SetLineCross(f.store.get(), f.row.get(), e); }),
            "<Analysis>\r\n\t<LC>\r\n\t\t<LCItem>\r\n\t\t\t<Channel>3</Channel>\r\n" + LineItem(1, 1, 1) +
                LineItem(3, 0, 0) + "\t\t</LCItem>\r\n\t</LC>\r\n</Analysis>\r\n");
  EXPECT_NE(log.Text().find("LineCross can't find associated CTBLVasIntelligentEvent with LineCrossID(2)."),
            std::string::npos)
      << log.Text();
}

TEST(VasTorvaneAdapterLineCross, GroupOfTheStartLine) {
  LineFixture f;
  EXPECT_EQ(
      f.Sent([&](VasTorvaneAdapter& a, int* e) { return a.SetLineCrossGroup(f.store.get(), f.row.get(), e); }),
      "<Analysis>\r\n\t<LCGroup>\r\n\t\t<LCGroupItem>\r\n\t\t\t<Channel>3</Channel>\r\n"
      "\t\t\t<GroupItem>\r\n\t\t\t\t<ID>7</ID>\r\n\t\t\t\t<LineIDList>3,1,2</LineIDList>\r\n\t\t\t</GroupItem>\r\n"
      "\t\t</LCGroupItem>\r\n\t</LCGroup>\r\n</Analysis>\r\n");
}

// Each class of a line's event takes its counts from the line's count row
// of the caller's map, 0 and 0 where the row or its class entry is missing;
// reading adds nothing to the row.
TEST(VasTorvaneAdapterLineCross, BaseCountsFromTheCallersRows) {
  LineFixture f;
  auto counted = std::make_shared<CTBLVasObjectCount>();
  counted->SetObjectCountPerClass(1, 5, 3);
  VasLineCounts counts;
  counts[VasChannelKey(0, 1, 3)][1] = counted;
  counts[VasChannelKey(0, 2, 3)][3] = counted;  // another server's channel 3
  EXPECT_EQ(f.Sent([&](VasTorvaneAdapter& a, int* e) {
    return a.SetLineCrossBaseCount(f.store.get(), f.row.get(), &counts, e);
  }),
            kBaseHead + kBaseOpen + CountItem(1, {{1, 5, 3}, {3, 0, 0}}) + CountItem(3, {{1, 0, 0}, {3, 0, 0}}) +
                kBaseClose + kBaseTail);
  EXPECT_EQ(counted->GetObjectCountClassCount(), 1u);
}

// The listed lines of the channel's device in the list's order, each class
// at zero; lines not found (or disabled) are logged; nothing found still
// sends the head and the tail.
TEST(VasTorvaneAdapterLineCross, ResetOfChosenLines) {
  struct Case {
    const char* name;
    int channel;
    std::vector<int> lines;
    std::string body;
    const char* logged;
  } cases[] = {
      {"listed lines",
       3,
       {3, 9, 5, 1},
       kBaseHead + kBaseOpen + CountItem(3, {{1, 0, 0}, {3, 0, 0}}) + CountItem(1, {{1, 0, 0}, {3, 0, 0}}) +
           kBaseClose + kBaseTail,
       "Can't find CTBLVasLineCross for VasDeviceID=1 with LineNumber=5"},
      {"empty list", 3, {}, kBaseHead + kBaseTail, ""},
      {"no device on the channel", 8, {1}, kBaseHead + kBaseTail, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineFixture f;
    ProcessLogCapture log;
    EXPECT_EQ(f.Sent([&](VasTorvaneAdapter& a, int* e) {
      return a.SetLineCrossReset(f.store.get(), f.row.get(), c.channel, c.lines, e);
    }),
              c.body);
    if (*c.logged) EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
  }
}

}  // namespace
