// TJobListPage: a page that edits one service's job list. LoadItems reads the
// list from the application settings into the working copy and rebuilds the
// rows; QueryClose compares the working copy with the stored list and asks
// text 28 when they differ (Yes saves; the page is left either way); SaveItems
// stores the working copy in one write of the settings file. A page adds only
// its fields, bindings, columns and the list's getter and setter.
#pragma once

#include "options/RecordListPage.h"
#include "shell/LocalAppSettings.h"

template <typename List>
class TJobListPage : public TRecordListPage<typename List::ItemType> {
  using Base = TRecordListPage<typename List::ItemType>;

 public:
  using Getter = List (CLocalAppSettings::*)();
  using Setter = bool (CLocalAppSettings::*)(const List&);

  TJobListPage(const ILangTexts* texts, CLocalAppSettings* settings, Getter get, Setter set)
      : Base(texts, settings), get_(get), set_(set) {}

  void LoadItems() override {
    this->ShowRecords((this->settings_->*get_)().GetItems());
    this->WriteFields();
  }

  // Reads the fields (a refused field shows its prompt; the list is compared
  // all the same), then asks when the working copy differs. Always 1.
  int QueryClose() override {
    this->ShowFieldFailure(this->ReadFields());
    if (GetWorkingCopy().IsEqual((this->settings_->*get_)())) return 1;
    if (this->AskToSave()) Store();
    return 1;
  }

  // Reads the fields (as QueryClose), then stores the working copy. 1.
  int SaveItems() override {
    this->ShowFieldFailure(this->ReadFields());
    Store();
    return 1;
  }

  List GetWorkingCopy() const {
    List list;
    list.SetItems(this->records_);
    return list;
  }

 private:
  void Store() {
    this->settings_->BeginUpdate();
    (this->settings_->*set_)(GetWorkingCopy());
    this->settings_->EndUpdate();
  }

  Getter get_;
  Setter set_;
};
