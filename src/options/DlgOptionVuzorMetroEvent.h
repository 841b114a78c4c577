// The metro event receiver page: the first item of "DMEventReceiverItems"
// (whether it listens, its UDP port) and that item's target sites, edited
// with the list pattern on the sites (rows by position, no ID column). The
// sites change only in the page until it is saved; a save with the receiver
// enabled refuses a port outside 1..65535 (text 31, focus on the port), and
// a Yes on leaving that is refused keeps the dialog on the page. Further
// stored items are written back unchanged.
#pragma once

#include "options/RecordListPage.h"
#include "shell/LocalAppSettings.h"

class CDlgOptionVuzorMetroEvent : public TRecordListPage<CHttpTargetSite> {
 public:
  enum Field { kEnable = 1050, kPort = 1000, kSitesGroup = 1051, kTargetUrl = 1021, kUser = 1033, kPassword = 1034 };

  CDlgOptionVuzorMetroEvent(const ILangTexts* texts, CLocalAppSettings* settings);

  void LoadItems() override;
  // 0 when the operator chose Yes and the save was refused; else 1.
  int QueryClose() override;
  int SaveItems() override { return SaveReceiver(true); }
  // The box enables or disables every other control.
  void OnCheckClicked(int id) override;

  // Stores the first item's switch, port and sites (fields read first when
  // `readFields`); 1 when stored, 0 when the port was refused.
  int SaveReceiver(bool readFields);

 private:
  // The item the page compares with: the first stored one, or a new item
  // (off, port 10002, no sites) when none is stored.
  CVuzorMetroEventReceiverItem StoredReceiver(const CVuzorMetroEventReceiverItems& items) const;

  CVuzorMetroEventReceiverItems working_;
};
