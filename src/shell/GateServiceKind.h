// A kind of service, described once: its kind number (the fixed order of
// every pass over the services), its name in the job list, what it takes
// part in, and its job and status views (the list columns it fills from one
// job and that job's run status). Each kind's descriptor lives beside its job
// records and is registered in the application's list of services; the main
// window walks the services in the order of their kind numbers and never
// switches on the kind.
//
// Descriptors are constant objects built before main() and only read.
#pragma once

#include <string>

#include "shell/LangTexts.h"

// What the job list shows of one job beyond its ID and service name.
struct CJobRow {
  std::string details;     // column 2
  std::string target;      // column 3
  std::string time;        // column 4: the last run or reception, local time; "" when none
  int lastErrorCode = 0;   // column 5
};

struct CGateServiceKind {
  int number = 0;                    // 1..: the fixed order
  const char* name = "";             // for log lines, "DataSynchronizer"
  int nameText = 0;                  // language text of the service name (list column 1)
  bool detailsFollowStatus = false;  // column 2 is rewritten with every status refresh
  bool publishesAuthCodes = false;   // its "MSG_BIOT_ZAV_AUTH_CODE_UPDATED" carries the auth codes
};

// The descriptor of a kind whose jobs are `Item` records with `Status` run
// statuses: the base plus the three views. `details` may read the language
// texts (null: every text empty).
template <class Item, class Status>
struct TGateServiceKind : CGateServiceKind {
  std::string (*details)(const Item& item, const Status& status, const ILangTexts* texts) = nullptr;
  std::string (*target)(const Item& item) = nullptr;
  std::string (*time)(const Status& status) = nullptr;

  // Columns 2 to 5 of a job; a view left null gives "".
  CJobRow MakeRow(const Item& item, const Status& status, const ILangTexts* texts) const {
    CJobRow row;
    if (details) row.details = details(item, status, texts);
    if (target) row.target = target(item);
    if (time) row.time = time(status);
    row.lastErrorCode = status.GetLastErrorCode();
    return row;
  }
};

// The text `index` of `texts`, "" when there are none.
inline std::string LangText(const ILangTexts* texts, int index) {
  return texts != nullptr ? texts->GetText(index) : std::string();
}

// Views that several kinds share.
template <class Item>
std::string TargetUrlView(const Item& item) {
  return item.GetTargetUrl();
}
template <class Item>
std::string TargetAddressView(const Item& item) {
  return item.GetTargetAddress();
}
template <class Status>
std::string LastExecutedView(const Status& status) {
  return status.GetLastExecutedLocalText();
}
// Column 2 of the NVR synchronizers: the last synchronization.
template <class Item, class Status>
std::string LastSynchronizedView(const Item&, const Status& status, const ILangTexts*) {
  return status.GetLastSynchronizedLocalText();
}
