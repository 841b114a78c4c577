// The data synchronizer's job list ("DataSyncItems"): data type, target URL,
// login and period. URL, then period above 0, are required; the focused row
// of a Modify takes data type and URL, every selected row the rest.
#pragma once

#include "options/KindTargetPage.h"

class CDlgOptionDataSync : public TKindTargetPage<CDataSynchronizerItems> {
 public:
  static constexpr int kDataType = 1027;
  static constexpr int kDefaultPeriod = 60;

  CDlgOptionDataSync(const ILangTexts* texts, CLocalAppSettings* settings);

  // The data-type column: text 37 for "TBL_Camera", 38 for
  // "TBL_VasIntelligentEvent" (letters in any case), else "".
  std::string GetDataTypeText(const std::string& sourceData) const;
};
