// VasTorvaneAdapter: the line crossings of the server's devices (lines,
// groups, base counts and their reset) and the face data of the persons.
#include <functional>

#include "analysis/VasLineCounts.h"
#include "analysis/VasTorvaneAdapter.h"
#include "database/IDataStore.h"
#include "entities/analysis/FRPerson.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasLineCross.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// The head, block opening (its %d the channel), block closing and tail of a
// line document.
struct LineDocumentFrame {
  const char* head;
  const char* open;
  const char* close;
  const char* tail;
};

constexpr LineDocumentFrame kLines{"<Analysis>\r\n\t<LC>\r\n", "\t\t<LCItem>\r\n\t\t\t<Channel>%d</Channel>\r\n",
                                   "\t\t</LCItem>\r\n", "\t</LC>\r\n</Analysis>\r\n"};
constexpr LineDocumentFrame kGroups{"<Analysis>\r\n\t<LCGroup>\r\n",
                                    "\t\t<LCGroupItem>\r\n\t\t\t<Channel>%d</Channel>\r\n", "\t\t</LCGroupItem>\r\n",
                                    "\t</LCGroup>\r\n</Analysis>\r\n"};
constexpr LineDocumentFrame kBase{"<Analysis>\r\n\t<LCBase>\r\n", "\t\t<LCBaseItem>\r\n\t\t\t<Channel>%d</Channel>\r\n",
                                  "\t\t</LCBaseItem>\r\n", "\t</LCBase>\r\n</Analysis>\r\n"};

// The items of one line; "" adds nothing.
using LineItems = std::function<std::string(const CTBLVasDevice&, CTBLVasLineCross&)>;

// The block of `device`: the items of its lines in number order, wrapped
// when there is at least one.
std::string DeviceBlock(const LineDocumentFrame& frame, const std::string& items, int channel) {
  return items.empty() ? std::string() : StrFormat(frame.open, channel) + items + frame.close;
}

// The document of every device of `row` (key order), enabled lines in number order.
std::string LineDocument(const CTBLVas& row, const LineDocumentFrame& frame, const LineItems& itemsOf) {
  std::string document = frame.head;
  for (const auto& [key, entity] : row.GetVasDevices()) {
    auto* device = dynamic_cast<CTBLVasDevice*>(entity.get());
    if (!device) continue;
    std::string items;
    for (const auto& [number, line] : device->GetLineCrossesByNumber()) {
      if (line) items += itemsOf(*device, *line);
    }
    document += DeviceBlock(frame, items, device->GetChannelNo());
  }
  return document + frame.tail;
}

// The cached event of `line`; null (logged) when missing.
std::shared_ptr<CTBLVasIntelligentEvent> LineEvent(IDataStore* store, const CTBLVasLineCross& line) {
  auto event = std::dynamic_pointer_cast<CTBLVasIntelligentEvent>(
      store->FindCachedEntity("TBL_VasIntelligentEvent", line.GetVasIntelligentEventID()));
  if (!event) {
    GATE_LOG(1, "ERROR - LineCross can't find associated CTBLVasIntelligentEvent with LineCrossID(%d).\r\n",
             line.GetVasLineCrossID());
  }
  return event;
}

bool IsGroupStart(const CTBLVasLineCross& line) { return line.GetIsLineGrouping() && line.GetIsStartLineInGroup(); }

// A count line item: the line's number and, per class of `event`, the counts
// `countsOf` gives.
std::string CountLineItem(const CTBLVasLineCross& line, CTBLVasIntelligentEvent& event,
                          const std::function<void(int classId, int* forward, int* backward)>& countsOf) {
  std::vector<int> classes;
  event.GetClassIDList(&classes);
  std::string item = StrFormat("\t\t\t<LineItem>\r\n\t\t\t\t<ID>%d</ID>\r\n", line.GetNumber());
  for (int classId : classes) {
    int forward = 0;
    int backward = 0;
    countsOf(classId, &forward, &backward);
    item += StrFormat(
        "\t\t\t\t<ObjectItem>\r\n\t\t\t\t\t<ID>%d</ID>\r\n\t\t\t\t\t<ForwardCount>%d</ForwardCount>\r\n"
        "\t\t\t\t\t<BackwardCount>%d</BackwardCount>\r\n\t\t\t\t</ObjectItem>\r\n",
        classId, forward, backward);
  }
  return item + "\t\t\t</LineItem>\r\n";
}

void NoCounts(int, int* forward, int* backward) { *forward = *backward = 0; }

}  // namespace

int VasTorvaneAdapter::SetLineCross(IDataStore* store, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  const std::string document = LineDocument(*row, kLines, [store](const CTBLVasDevice&, CTBLVasLineCross& line) {
    if (line.GetVasIntelligentEventID() == 0) return std::string();
    auto event = LineEvent(store, line);
    if (!event) return std::string();
    // A group's start line raises the group's event, not one of its own.
    const int raises = line.GetUseEvent() && !IsGroupStart(line) ? 1 : 0;
    return StrFormat(
        "\t\t\t<LineItem>\r\n\t\t\t\t<ID>%d</ID>\r\n\t\t\t\t<Point1>\r\n\t\t\t\t\t<X>%d</X>\r\n\t\t\t\t\t<Y>%d</Y>\r\n"
        "\t\t\t\t</Point1>\r\n\t\t\t\t<Point2>\r\n\t\t\t\t\t<X>%d</X>\r\n\t\t\t\t\t<Y>%d</Y>\r\n\t\t\t\t</Point2>\r\n"
        "\t\t\t\t<ObjectIDList>%s</ObjectIDList>\r\n\t\t\t\t<ObjectCropCriteria>%s</ObjectCropCriteria>\r\n"
        "\t\t\t\t<ObjectCropPercent>%d</ObjectCropPercent>\r\n\t\t\t\t<Bothway>%d</Bothway>\r\n"
        "\t\t\t\t<Event>%d</Event>\r\n\t\t\t</LineItem>\r\n",
        line.GetNumber(), line.GetStartX(), line.GetStartY(), line.GetEndX(), line.GetEndY(),
        XmlEscape(event->GetClassList()).c_str(), event->GetCropCriteriaText().c_str(), event->GetObjectCropPercent(),
        line.GetType() == 1 ? 1 : 0, raises);
  });
  return SendConfigDocument(row, error, "/analysis/lc.cgi?method=set", document);
}

int VasTorvaneAdapter::SetLineCrossGroup(IDataStore* /*store*/, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  const std::string document = LineDocument(*row, kGroups, [](const CTBLVasDevice&, CTBLVasLineCross& line) {
    if (!IsGroupStart(line)) return std::string();
    return StrFormat(
        "\t\t\t<GroupItem>\r\n\t\t\t\t<ID>%d</ID>\r\n\t\t\t\t<LineIDList>%s</LineIDList>\r\n"
        "\t\t\t</GroupItem>\r\n",
        line.GetGroupNumber(), line.GetGroupLineNumbersText("").c_str());
  });
  return SendConfigDocument(row, error, "/analysis/lc_group.cgi?method=set", document);
}

int VasTorvaneAdapter::SetLineCrossBaseCount(IDataStore* store, CTBLVas* row, const VasLineCounts* counts, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  const int vasId = row->GetVasID();
  const std::string document =
      LineDocument(*row, kBase, [store, counts, vasId](const CTBLVasDevice& device, CTBLVasLineCross& line) {
        if (line.GetVasIntelligentEventID() == 0) return std::string();
        auto event = LineEvent(store, line);
        if (!event) return std::string();
        std::shared_ptr<CTBLVasObjectCount> countRow;
        if (counts) {
          auto channel = counts->find(VasChannelKey(0, vasId, device.GetChannelNo()));
          if (channel != counts->end()) {
            auto found = channel->second.find(line.GetNumber());
            if (found != channel->second.end()) countRow = found->second;
          }
        }
        return CountLineItem(line, *event, [&countRow](int classId, int* forward, int* backward) {
          if (countRow) {
            countRow->GetObjectCountPerClass(classId, forward, backward);
          } else {
            NoCounts(classId, forward, backward);
          }
        });
      });
  return SendConfigDocument(row, error, "/analysis/lc_base.cgi?method=set", document);
}

int VasTorvaneAdapter::SetLineCrossReset(IDataStore* store, CTBLVas* row, int channel, std::vector<int> lines,
                                         int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = kBase.head;
  std::shared_ptr<CTBLVasDevice> device = row->FindVasDeviceByChannel(channel);
  if (device) {
    std::string items;
    for (int number : lines) {
      std::shared_ptr<CTBLVasLineCross> line = device->FindLineCross(number);
      if (!line) {
        GATE_LOG(1, "ERROR - Can't find CTBLVasLineCross for VasDeviceID=%d with LineNumber=%d\r\n",
                 device->GetVasDeviceID(), number);
        continue;
      }
      auto event = LineEvent(store, *line);
      if (event) items += CountLineItem(*line, *event, NoCounts);
    }
    document += DeviceBlock(kBase, items, device->GetChannelNo());
  }
  document += kBase.tail;
  return SendConfigDocument(row, error, "/analysis/lc_base.cgi?method=modify", document);
}

int VasTorvaneAdapter::SetFRData(void* /*unused*/, IDataStore* store, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = "<Analysis>\r\n\t<FR>\r\n";
  for (const auto& [key, entity] : store->GetCachedEntityList("TBL_FRPerson")) {
    auto* person = dynamic_cast<CTBLFRPerson*>(entity.get());
    if (!person) continue;
    document += StrFormat("\t\t<FRItem>\r\n\t\t\t<ID>%d</ID>\r\n\t\t\t<Data>%s</Data>\r\n\t\t</FRItem>\r\n",
                          person->GetPersonID(), XmlEscape(person->GetFeatureMap()).c_str());
  }
  document += "\t</FR>\r\n</Analysis>\r\n";
  return SendConfigDocument(row, error, "/analysis/fr.cgi?method=set", document);
}
