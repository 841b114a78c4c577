// The NVR data synchronizer's job list ("NvrDataSyncItems"): the target NVR
// database (address, port, database name, login) and the period. Address,
// port, database name and period are required, in that order.
#pragma once

#include "options/NvrTargetPage.h"

class CDlgOptionNvrDataSync : public TNvrTargetPage<CNvrDataSynchronizerItems> {
 public:
  static constexpr int kName = kThird;
  static constexpr int kDefaultPeriod = 60;

  CDlgOptionNvrDataSync(const ILangTexts* texts, CLocalAppSettings* settings);
};
