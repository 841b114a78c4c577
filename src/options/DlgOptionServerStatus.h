// The server status publisher's targets ("ServerStatusPubItems"): server
// kind, target URL, login and period. URL, then period above 0, are
// required; the focused row of a Modify takes server kind and URL, every
// selected row the rest. A stored kind outside the list's two entries shows
// no entry; a Modify with it focused stores the list's choice (0 when none).
#pragma once

#include "options/KindTargetPage.h"

class CDlgOptionServerStatus : public TKindTargetPage<CServerStatusPublisherItems> {
 public:
  static constexpr int kServerKind = 1035;
  static constexpr int kDefaultPeriod = 5;

  CDlgOptionServerStatus(const ILangTexts* texts, CLocalAppSettings* settings);

  // The kind column: text 42 for 1, 44 for 2, else 41.
  std::string GetServerKindText(int serverKind) const;
};
