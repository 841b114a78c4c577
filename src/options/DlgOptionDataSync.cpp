#include "options/DlgOptionDataSync.h"

#include <strings.h>

namespace {

constexpr const char* kCameraTable = "TBL_Camera";
constexpr const char* kEventTable = "TBL_VasIntelligentEvent";
using SyncItem = CDataSynchronizerItem;

TRecordBinding<SyncItem> DataTypeBinding() {
  return {0, true,
          [](SyncItem& item, const COptionFieldValue& v) {
            item.SetSourceData(v.number == 0 ? kCameraTable : v.number == 1 ? kEventTable : "");
          },
          // Showing compares exactly: any other spelling selects the second entry.
          [](const SyncItem& item) { return COptionFieldValue{"", item.GetSourceData() == kCameraTable ? 0 : 1}; }};
}

}  // namespace

CDlgOptionDataSync::CDlgOptionDataSync(const ILangTexts* texts, CLocalAppSettings* settings)
    : TKindTargetPage(texts, settings, &CLocalAppSettings::Option_GetDataSyncItems,
                      &CLocalAppSettings::Option_SetDataSyncItems, kDataType, 36, {37, 38}, 36, DataTypeBinding(),
                      [this](const SyncItem& item) { return GetDataTypeText(item.GetSourceData()); }, kDefaultPeriod) {}

std::string CDlgOptionDataSync::GetDataTypeText(const std::string& sourceData) const {
  // Table names are ASCII: a plain case-insensitive compare is exact here.
  if (strcasecmp(sourceData.c_str(), kCameraTable) == 0) return Text(37);
  if (strcasecmp(sourceData.c_str(), kEventTable) == 0) return Text(38);
  return std::string();
}
