#include "options/DlgOptionVuzorMetroEvent.h"

#include "foundation/IDCreater.h"

CDlgOptionVuzorMetroEvent::CDlgOptionVuzorMetroEvent(const ILangTexts* texts, CLocalAppSettings* settings)
    : TRecordListPage(texts, settings) {
  using Item = CHttpTargetSite;
  AddField(kEnable, OptionFieldKind::Check, 58, 0, OptionRequirement::None, "%s");
  AddField(kPort, OptionFieldKind::Number, 23, 1);
  AddField(kSitesGroup, OptionFieldKind::Group, 61, 2, OptionRequirement::None, "%s");
  AddField(kTargetUrl, OptionFieldKind::Text, 32, 3, OptionRequirement::NotEmpty);
  AddField(kUser, OptionFieldKind::Text, 24, 4);
  AddField(kPassword, OptionFieldKind::Password, 25, 4);
  MutableValue(kPort).number = CVuzorMetroEventReceiverItem().GetPort();
  SetBindings({TargetUrlBinding<Item>(kTargetUrl), TargetLoginBinding<Item>(kUser),
               TargetPasswordBinding<Item>(kPassword)});
  SetColumns({FieldColumn<Item>(32, 250, &Item::GetTargetUrl), FieldColumn<Item>(24, 150, &Item::GetTargetLoginID)},
             4);
}

CVuzorMetroEventReceiverItem CDlgOptionVuzorMetroEvent::StoredReceiver(
    const CVuzorMetroEventReceiverItems& items) const {
  return items.GetItems().empty() ? CVuzorMetroEventReceiverItem() : items.GetItems().front();
}

void CDlgOptionVuzorMetroEvent::LoadItems() {
  working_ = settings_->Option_GetVuzorMetroEventReceiverItems();
  const std::vector<CVuzorMetroEventReceiverItem>& items = working_.GetItems();
  MutableValue(kEnable).number = !items.empty() && items.front().GetEnable() ? 1 : 0;
  if (!items.empty()) MutableValue(kPort).number = items.front().GetPort();
  ShowRecords(items.empty() ? std::vector<CHttpTargetSite>() : items.front().GetTargetSites());
  WriteFields();
  if (view_ != nullptr) view_->SetInputsEnabled(Value(kEnable).number != 0);
}

void CDlgOptionVuzorMetroEvent::OnCheckClicked(int id) {
  if (id != kEnable || view_ == nullptr) return;
  view_->SetInputsEnabled(view_->GetFieldIndex(kEnable) != 0);
}

int CDlgOptionVuzorMetroEvent::QueryClose() {
  ReadFields();
  // Compared with a new item when none is stored, so sites added to a
  // disabled receiver that was never saved are not dropped without a word.
  CVuzorMetroEventReceiverItem stored = StoredReceiver(settings_->Option_GetVuzorMetroEventReceiverItems());
  bool unchanged = (Value(kEnable).number != 0) == stored.GetEnable() && Value(kPort).number == stored.GetPort() &&
                   records_ == stored.GetTargetSites();
  if (unchanged || !AskToSave()) return 1;
  return SaveReceiver(false) == 0 ? 0 : 1;
}

int CDlgOptionVuzorMetroEvent::SaveReceiver(bool readFields) {
  if (readFields) ReadFields();
  bool enable = Value(kEnable).number != 0;
  int port = Value(kPort).number;
  // The same port rule as every other page, while the receiver listens.
  if (enable && (port <= 0 || port > 65535)) {
    ShowFieldFailure(COptionFieldCheck::Fail(kPort, kRequiredFieldText));
    return 0;
  }
  std::vector<CVuzorMetroEventReceiverItem>& items = working_.GetItems();
  if (items.empty()) {
    CVuzorMetroEventReceiverItem item;
    item.SetID(CIDCreater::GetInstance()->NextID(kJobIdKey));
    items.push_back(item);
  }
  items.front().SetEnable(enable);
  items.front().SetPort(port);
  items.front().SetTargetSites(records_);
  settings_->BeginUpdate();
  settings_->Option_SetVuzorMetroEventReceiverItems(working_);
  settings_->EndUpdate();
  return 1;
}
