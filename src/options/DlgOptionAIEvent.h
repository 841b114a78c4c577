// The AI event publisher's job list ("AIEventPubItems"): the HTTP targets of
// analysis events with their login. The URL is required, also for a Modify of
// the login only; the focused row of a Modify takes the URL, every selected
// row user and password.
#pragma once

#include "options/JobListPage.h"

class CDlgOptionAIEvent : public TJobListPage<CAIEventPublisherItems> {
 public:
  enum Field { kTargetUrl = 1021, kUser = 1033, kPassword = 1034 };

  CDlgOptionAIEvent(const ILangTexts* texts, CLocalAppSettings* settings);
};
