#include "shell/AlarmOutputPublisherItem.h"

namespace {

constexpr int kTextChannel = 51;
constexpr int kTextEventKind1 = 55;
constexpr int kTextEventKind2 = 56;

std::string AlarmDetails(const CAlarmOutputPublisherItem& item, const CAlarmOutputPublisherItemStatus&,
                         const ILangTexts* texts) {
  std::string text = LangText(texts, kTextChannel) + " " + std::to_string(item.GetChannel());
  if (item.GetEventKind() == 1) text += " - " + LangText(texts, kTextEventKind1);
  if (item.GetEventKind() == 2) text += " - " + LangText(texts, kTextEventKind2);
  return text;
}

}  // namespace

const TGateServiceKind<CAlarmOutputPublisherItem, CAlarmOutputPublisherItemStatus> kAlarmOutputPublisherKind = {
    {6, "AlarmOutputPublisher", 52, false, false},
    &AlarmDetails,
    &TargetUrlView<CAlarmOutputPublisherItem>,
    &LastExecutedView<CAlarmOutputPublisherItemStatus>,
};
