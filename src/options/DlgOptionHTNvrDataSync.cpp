#include "options/DlgOptionHTNvrDataSync.h"

CDlgOptionHTNvrDataSync::CDlgOptionHTNvrDataSync(const ILangTexts* texts, CLocalAppSettings* settings)
    : TNvrTargetPage(texts, settings, &CLocalAppSettings::Option_GetHTNvrDataSyncItems,
                     &CLocalAppSettings::Option_SetHTNvrDataSyncItems, 47, false,
                     &CHTNvrDataSynchronizerItem::GetTargetGroup, &CHTNvrDataSynchronizerItem::SetTargetGroup,
                     kDefaultPeriod) {}
