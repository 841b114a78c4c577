// TNvrTargetPage: the job-list page of a synchronizer whose jobs name an NVR:
// address, port and one more text in the first row, login, password and
// period in the second. Address, port, the third text when it is required,
// and the period are checked in that order; the focused row of a Modify takes
// the address, every selected row the rest.
#pragma once

#include "options/JobListPage.h"

template <typename List>
class TNvrTargetPage : public TJobListPage<List> {
  using Base = TJobListPage<List>;

 public:
  using Item = typename List::ItemType;
  enum Field { kAddress = 1037, kPort = 1039, kThird = 1041, kUser = 1033, kPassword = 1034, kPeriod = 1025 };

  // The third field: its label text, whether it is required, and the record's getter and setter.
  template <typename Get, typename Set>
  TNvrTargetPage(const ILangTexts* texts, CLocalAppSettings* settings, typename Base::Getter get,
                 typename Base::Setter set, int thirdText, bool thirdRequired, Get thirdGet, Set thirdSet,
                 int defaultPeriod)
      : Base(texts, settings, get, set) {
    this->AddField(kAddress, OptionFieldKind::Text, 22, 0, OptionRequirement::NotEmpty);
    this->AddField(kPort, OptionFieldKind::DigitText, 23, 0, OptionRequirement::Port);
    this->AddField(kThird, OptionFieldKind::Text, thirdText, 0,
                   thirdRequired ? OptionRequirement::NotEmpty : OptionRequirement::None);
    this->AddField(kUser, OptionFieldKind::Text, 24, 1);
    this->AddField(kPassword, OptionFieldKind::Password, 25, 1);
    this->AddField(kPeriod, OptionFieldKind::Number, 33, 1, OptionRequirement::AboveZero);
    this->MutableValue(kPeriod).number = defaultPeriod;

    this->SetBindings({TextBinding<Item>(kAddress, true, &Item::GetTargetAddress, &Item::SetTargetAddress),
                       NumberBinding<Item>(kPort, false, &Item::GetTargetPort, &Item::SetTargetPort),
                       TextBinding<Item>(kThird, false, thirdGet, thirdSet), TargetLoginBinding<Item>(kUser),
                       TargetPasswordBinding<Item>(kPassword),
                       NumberBinding<Item>(kPeriod, false, &Item::GetPeriod, &Item::SetPeriod)});
    this->SetColumns({FieldColumn<Item>(22, 250, &Item::GetTargetAddress),
                      FieldColumn<Item>(23, 100, &Item::GetTargetPort), FieldColumn<Item>(thirdText, 150, thirdGet),
                      FieldColumn<Item>(24, 150, &Item::GetTargetLoginID), FieldColumn<Item>(33, 50, &Item::GetPeriod)},
                     1);
  }
};
