// TKindTargetPage: the job-list page of a service whose jobs post to a URL
// every period and carry a kind chosen in a drop-down list: the kind in the
// first row, the URL in the second, login, password and period in the third.
// URL, then period above 0, are required; the focused row of a Modify takes
// kind and URL, every selected row login, password and period.
#pragma once

#include "options/JobListPage.h"

template <typename List>
class TKindTargetPage : public TJobListPage<List> {
  using Base = TJobListPage<List>;

 public:
  using Item = typename List::ItemType;
  enum Field { kTargetUrl = 1021, kUser = 1033, kPassword = 1034, kPeriod = 1025 };

  // The kind: its control id, label text, entry texts and column header, how
  // a choice is stored and shown (the binding), and the column's text.
  TKindTargetPage(const ILangTexts* texts, CLocalAppSettings* settings, typename Base::Getter get,
                  typename Base::Setter set, int kindField, int kindLabel, std::vector<int> kindTexts,
                  int kindHeader, TRecordBinding<Item> kindBinding, std::function<std::string(const Item&)> kindColumn,
                  int defaultPeriod)
      : Base(texts, settings, get, set) {
    COptionField& kind = this->AddField(kindField, OptionFieldKind::Choice, kindLabel, 0);
    for (int text : kindTexts) kind.choices.push_back(this->Text(text));
    this->AddField(kTargetUrl, OptionFieldKind::Text, 32, 1, OptionRequirement::NotEmpty);
    this->AddField(kUser, OptionFieldKind::Text, 24, 2);
    this->AddField(kPassword, OptionFieldKind::Password, 25, 2);
    this->AddField(kPeriod, OptionFieldKind::Number, 33, 2, OptionRequirement::AboveZero);
    this->MutableValue(kPeriod).number = defaultPeriod;
    kindBinding.field = kindField;
    kindBinding.identifying = true;
    this->SetBindings({kindBinding, TargetUrlBinding<Item>(kTargetUrl), TargetLoginBinding<Item>(kUser),
                       TargetPasswordBinding<Item>(kPassword),
                       NumberBinding<Item>(kPeriod, false, &Item::GetPeriod, &Item::SetPeriod)});
    this->SetColumns({{kindHeader, 150, std::move(kindColumn)}, FieldColumn<Item>(32, 250, &Item::GetTargetUrl),
                      FieldColumn<Item>(24, 150, &Item::GetTargetLoginID), FieldColumn<Item>(33, 50, &Item::GetPeriod)},
                     2);
  }
};
