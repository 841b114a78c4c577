#include "options/DlgOptionAIEvent.h"

CDlgOptionAIEvent::CDlgOptionAIEvent(const ILangTexts* texts, CLocalAppSettings* settings)
    : TJobListPage(texts, settings, &CLocalAppSettings::Option_GetAIEventPublisherItems,
                   &CLocalAppSettings::Option_SetAIEventPublisherItems) {
  using Item = CAIEventPublisherItem;
  AddField(kTargetUrl, OptionFieldKind::Text, 32, 0, OptionRequirement::NotEmpty);
  AddField(kUser, OptionFieldKind::Text, 24, 1);
  AddField(kPassword, OptionFieldKind::Password, 25, 1);
  SetBindings({TargetUrlBinding<Item>(kTargetUrl), TargetLoginBinding<Item>(kUser),
               TargetPasswordBinding<Item>(kPassword)});
  SetColumns({FieldColumn<Item>(32, 250, &Item::GetTargetUrl), FieldColumn<Item>(24, 150, &Item::GetTargetLoginID)},
             1);
}
