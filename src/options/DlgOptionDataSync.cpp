#include "options/DlgOptionDataSync.h"

#include <strings.h>

namespace {

constexpr const char* kCameraTable = "TBL_Camera";
constexpr const char* kEventTable = "TBL_VasIntelligentEvent";

}  // namespace

CDlgOptionDataSync::CDlgOptionDataSync(const ILangTexts* texts, CLocalAppSettings* settings)
    : TJobListPage(texts, settings, &CLocalAppSettings::Option_GetDataSyncItems,
                   &CLocalAppSettings::Option_SetDataSyncItems) {
  using Item = CDataSynchronizerItem;
  AddField(kDataType, OptionFieldKind::Choice, 36, 0).choices = {Text(37), Text(38)};
  AddField(kTargetUrl, OptionFieldKind::Text, 32, 1, OptionRequirement::NotEmpty);
  AddField(kUser, OptionFieldKind::Text, 24, 2);
  AddField(kPassword, OptionFieldKind::Password, 25, 2);
  AddField(kPeriod, OptionFieldKind::Number, 33, 2, OptionRequirement::AboveZero);
  MutableValue(kPeriod).number = kDefaultPeriod;

  TRecordBinding<Item> dataType{
      kDataType, true,
      [](Item& item, const COptionFieldValue& v) {
        item.SetSourceData(v.number == 0 ? kCameraTable : v.number == 1 ? kEventTable : "");
      },
      // Showing compares exactly: any other spelling selects the second entry.
      [](const Item& item) { return COptionFieldValue{"", item.GetSourceData() == kCameraTable ? 0 : 1}; }};
  SetBindings({dataType, TargetUrlBinding<Item>(kTargetUrl), TargetLoginBinding<Item>(kUser),
               TargetPasswordBinding<Item>(kPassword),
               NumberBinding<Item>(kPeriod, false, &Item::GetPeriod, &Item::SetPeriod)});
  SetColumns({{36, 150, [this](const Item& item) { return GetDataTypeText(item.GetSourceData()); }},
              FieldColumn<Item>(32, 250, &Item::GetTargetUrl), FieldColumn<Item>(24, 150, &Item::GetTargetLoginID),
              FieldColumn<Item>(33, 50, &Item::GetPeriod)},
             2);
}

std::string CDlgOptionDataSync::GetDataTypeText(const std::string& sourceData) const {
  // Table names are ASCII: a plain case-insensitive compare is exact here.
  if (strcasecmp(sourceData.c_str(), kCameraTable) == 0) return Text(37);
  if (strcasecmp(sourceData.c_str(), kEventTable) == 0) return Text(38);
  return std::string();
}
