// The alarm output publisher's job list ("AlarmOutputPublisherItems"): one
// relay-board output channel per job, the event that drives it, the board's
// URL and login and the E-map endpoints. The only board offered is the
// "ET-0808" (device kind 1): every job the page writes gets kind 1 and every
// row shows "ET-0808". The channel must be an integer from 1 to 64 (the
// integer prompt otherwise), then the URL is required. The focused row of a
// Modify takes device kind and URL, every selected row the rest. The E-map
// text is kept as typed.
#pragma once

#include "options/JobListPage.h"

class CDlgOptionAlarmOutput : public TJobListPage<CAlarmOutputPublisherItems> {
 public:
  enum Field {
    kNote = 1049,
    kDeviceType = 1046,
    kChannel = 1047,
    kEventKind = 1051,
    kTargetUrl = 1021,
    kEMapAddress = 1022,
    kUser = 1033,
    kPassword = 1034,
  };
  static constexpr int kFirstChannel = 1;
  static constexpr int kLastChannel = 64;
  static constexpr int kDeviceKind = 1;
  static constexpr const char* kDeviceName = "ET-0808";

  CDlgOptionAlarmOutput(const ILangTexts* texts, CLocalAppSettings* settings);

  // Text 55 for kind 1, 56 for kind 2, else "".
  std::string GetEventKindText(int eventKind) const;
  // "ET-0808" whatever the kind.
  static std::string GetDeviceKindText(int /*deviceKind*/) { return kDeviceName; }
};
