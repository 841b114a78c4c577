#include "shell/VuzorMetroEventReceiverItem.h"

#include "shell/UtcTimeText.h"

namespace {

// Empties the list, then reads it from the node's first child when that one
// is named `name` (any letter case).
template <typename Item>
void ReadNamedList(const CSerializationInfo& node, const char* name, std::vector<Item>* items) {
  items->clear();
  if (const CSerializationInfo* list = FindListChild(node, name)) DeserializeItems(*list, items);
}

}  // namespace

void CVuzorMetroEventReceiverItem::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  WriteFields(node);
  SerializeNamedList(node, "TargetSites", targetSites_);
}

void CVuzorMetroEventReceiverItem::Deserialize(const CSerializationInfo& node) {
  ReadFields(node);
  ReadNamedList(node, "TargetSites", &targetSites_);
}

void CVuzorMetroEventReceiverItemStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  WriteFields(node);
  SerializeNamedList(node, "Histories", histories_);
}

void CVuzorMetroEventReceiverItemStatus::Deserialize(const CSerializationInfo& node) {
  ReadFields(node);
  ReadNamedList(node, "Histories", &histories_);
}

void CVuzorMetroEventReceiverItemStatus::SetLastReceivedTime(int64_t seconds) {
  SetLastDateTimeReceived(FormatUtcTimeText(seconds));
}

std::string CVuzorMetroEventReceiverItemStatus::GetLastReceivedLocalText() const {
  return UtcTimeTextToLocalText(GetLastDateTimeReceived());
}

namespace {

constexpr int kTextPort = 23;

std::string MetroDetails(const CVuzorMetroEventReceiverItem& item, const CVuzorMetroEventReceiverItemStatus&,
                         const ILangTexts* texts) {
  return LangText(texts, kTextPort) + " " + std::to_string(item.GetPort());
}

std::string LastReceived(const CVuzorMetroEventReceiverItemStatus& status) {
  return status.GetLastReceivedLocalText();
}

}  // namespace

const TGateServiceKind<CVuzorMetroEventReceiverItem, CVuzorMetroEventReceiverItemStatus> kMetroEventReceiverKind = {
    {7, "MetroEventReceiver", 60, false, false},
    &MetroDetails,
    nullptr,
    &LastReceived,
};
