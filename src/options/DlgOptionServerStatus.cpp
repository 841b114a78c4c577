#include "options/DlgOptionServerStatus.h"

namespace {

using StatusItem = CServerStatusPublisherItem;

// The kind is the entry's index; no entry stores 0, and a kind without an entry selects none.
TRecordBinding<StatusItem> ServerKindBinding() {
  return {0, true, [](StatusItem& item, const COptionFieldValue& v) { item.SetServerKind(v.number < 0 ? 0 : v.number); },
          [](const StatusItem& item) {
            int kind = item.GetServerKind();
            return COptionFieldValue{"", kind == 0 || kind == 1 ? kind : -1};
          }};
}

}  // namespace

CDlgOptionServerStatus::CDlgOptionServerStatus(const ILangTexts* texts, CLocalAppSettings* settings)
    : TKindTargetPage(texts, settings, &CLocalAppSettings::Option_GetServerStatusPublisherItems,
                      &CLocalAppSettings::Option_SetServerStatusPublisherItems, kServerKind, 40, {41, 42}, 43,
                      ServerKindBinding(), [this](const StatusItem& item) { return GetServerKindText(item.GetServerKind()); },
                      kDefaultPeriod) {}

std::string CDlgOptionServerStatus::GetServerKindText(int serverKind) const {
  return Text(serverKind == 1 ? 42 : serverKind == 2 ? 44 : 41);
}
