#include "options/DlgOptionAlarmOutput.h"

CDlgOptionAlarmOutput::CDlgOptionAlarmOutput(const ILangTexts* texts, CLocalAppSettings* settings)
    : TJobListPage(texts, settings, &CLocalAppSettings::Option_GetAlarmOutputPublisherItems,
                   &CLocalAppSettings::Option_SetAlarmOutputPublisherItems) {
  using Item = CAlarmOutputPublisherItem;
  AddField(kNote, OptionFieldKind::Note, 53, 0, OptionRequirement::None, "* %s");
  AddField(kDeviceType, OptionFieldKind::Choice, 50, 1).choices = {kDeviceName};
  COptionField& channel = AddField(kChannel, OptionFieldKind::Ranged, 51, 1);
  channel.minValue = kFirstChannel;
  channel.maxValue = kLastChannel;
  AddField(kEventKind, OptionFieldKind::Choice, 54, 1).choices = {Text(55), Text(56)};
  AddField(kTargetUrl, OptionFieldKind::Text, 32, 2, OptionRequirement::NotEmpty);
  AddField(kEMapAddress, OptionFieldKind::RawText, 57, 2);
  AddField(kUser, OptionFieldKind::Text, 24, 3);
  AddField(kPassword, OptionFieldKind::Password, 25, 3);
  MutableValue(kChannel).number = kFirstChannel;

  TRecordBinding<Item> device{kDeviceType, true,
                              [](Item& item, const COptionFieldValue&) { item.SetDeviceKind(kDeviceKind); },
                              [](const Item&) { return COptionFieldValue{"", 0}; }};
  // The entry is chosen by index (kind - 1), as the kind is stored: equal or
  // missing entry texts can then not turn a kind 2 into a kind 1.
  TRecordBinding<Item> eventKind{
      kEventKind, false, [](Item& item, const COptionFieldValue& v) { item.SetEventKind(v.number + 1); },
      [](const Item& item) {
        int kind = item.GetEventKind();
        return COptionFieldValue{"", kind == 1 || kind == 2 ? kind - 1 : -1};
      }};
  SetBindings({device, NumberBinding<Item>(kChannel, false, &Item::GetChannel, &Item::SetChannel), eventKind,
               TargetUrlBinding<Item>(kTargetUrl),
               TextBinding<Item>(kEMapAddress, false, &Item::GetEMapAddress, &Item::SetEMapAddress),
               TargetLoginBinding<Item>(kUser), TargetPasswordBinding<Item>(kPassword)});
  SetColumns({{50, 150, [](const Item& item) { return GetDeviceKindText(item.GetDeviceKind()); }},
              FieldColumn<Item>(32, 250, &Item::GetTargetUrl), FieldColumn<Item>(24, 150, &Item::GetTargetLoginID),
              FieldColumn<Item>(51, 50, &Item::GetChannel),
              {54, 80, [this](const Item& item) { return GetEventKindText(item.GetEventKind()); }},
              FieldColumn<Item>(57, 200, &Item::GetEMapAddress)},
             3);
}

std::string CDlgOptionAlarmOutput::GetEventKindText(int eventKind) const {
  if (eventKind == 1) return Text(55);
  if (eventKind == 2) return Text(56);
  return std::string();
}
