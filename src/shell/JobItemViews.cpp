#include "shell/JobItemViews.h"

namespace {

// A view holding the ID and a target text.
template <typename Item>
CGateServiceItem WithTarget(const Item& item, const std::string& target) {
  CGateServiceItem view;
  view.id = item.GetID();
  view.target = target;
  return view;
}

CGateServiceItemStatus StatusView(int id, std::string lastTimeText, int lastErrorCode) {
  CGateServiceItemStatus view;
  view.id = id;
  view.lastTimeText = std::move(lastTimeText);
  view.lastErrorCode = lastErrorCode;
  return view;
}

}  // namespace

CGateServiceItem MakeGateServiceItem(const CDataSynchronizerItem& item) {
  CGateServiceItem view = WithTarget(item, item.GetTargetUrl());
  view.sourceData = item.GetSourceData();
  return view;
}

CGateServiceItem MakeGateServiceItem(const CNvrDataSynchronizerItem& item) {
  return WithTarget(item, item.GetTargetAddress());
}

CGateServiceItem MakeGateServiceItem(const CHTNvrDataSynchronizerItem& item) {
  return WithTarget(item, item.GetTargetAddress());
}

CGateServiceItem MakeGateServiceItem(const CAIEventPublisherItem& item) { return WithTarget(item, item.GetTargetUrl()); }

CGateServiceItem MakeGateServiceItem(const CServerStatusPublisherItem& item) {
  return WithTarget(item, item.GetTargetUrl());
}

CGateServiceItem MakeGateServiceItem(const CAlarmOutputPublisherItem& item) {
  CGateServiceItem view = WithTarget(item, item.GetTargetUrl());
  view.eventKind = item.GetEventKind();
  view.channel = item.GetChannel();
  return view;
}

CGateServiceItem MakeGateServiceItem(const CVuzorMetroEventReceiverItem& item) {
  CGateServiceItem view = WithTarget(item, std::string());
  view.port = item.GetPort();
  return view;
}

CGateServiceItemStatus MakeGateServiceItemStatus(const CDataSynchronizerItemStatus& status) {
  CGateServiceItemStatus view =
      StatusView(status.GetID(), status.GetLastExecutedLocalText(), status.GetLastErrorCode());
  view.lastSynchronizedText = status.GetLastSynchronizedLocalText();
  return view;
}

CGateServiceItemStatus MakeGateServiceItemStatus(const CJobItemStatus& status) {
  return StatusView(status.GetID(), status.GetLastExecutedLocalText(), status.GetLastErrorCode());
}

CGateServiceItemStatus MakeGateServiceItemStatus(const CVuzorMetroEventReceiverItemStatus& status) {
  return StatusView(status.GetID(), status.GetLastReceivedLocalText(), status.GetLastErrorCode());
}
