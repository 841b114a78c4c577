// The HT NVR data synchronizer's job list ("HTNvrDataSyncItems"): the NVR's
// API address and port, the camera group of its new cameras, login and the
// period. Address, port and period are required, in that order; the group
// may be empty.
#pragma once

#include "options/NvrTargetPage.h"

class CDlgOptionHTNvrDataSync : public TNvrTargetPage<CHTNvrDataSynchronizerItems> {
 public:
  static constexpr int kGroup = kThird;
  static constexpr int kDefaultPeriod = 86400;  // one day

  CDlgOptionHTNvrDataSync(const ILangTexts* texts, CLocalAppSettings* settings);
};
