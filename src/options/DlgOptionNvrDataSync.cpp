#include "options/DlgOptionNvrDataSync.h"

CDlgOptionNvrDataSync::CDlgOptionNvrDataSync(const ILangTexts* texts, CLocalAppSettings* settings)
    : TNvrTargetPage(texts, settings, &CLocalAppSettings::Option_GetNvrDataSyncItems,
                     &CLocalAppSettings::Option_SetNvrDataSyncItems, 27, true,
                     &CNvrDataSynchronizerItem::GetTargetName, &CNvrDataSynchronizerItem::SetTargetName,
                     kDefaultPeriod) {}
