#include "shell/LocalAppSettings.h"

#include <algorithm>

#include "foundation/Aria.h"
#include "foundation/JsonSerializer.h"
#include "foundation/Log.h"

namespace {

constexpr const char* kBuiltInDatabasePassword = "qotrafuvnexib";
constexpr const char* kBuiltInSystemPassword = "qivor";
constexpr const char* kDefaultEncryptKey = "Wr7Hq2xcB9sLm5Dv";

constexpr const char* kSyncListError = "ERROR - Error raised when deserialize data synchronizer items.\r\n";
constexpr const char* kListError = "ERROR - Error raised when deserialize data.\r\n";

}  // namespace

std::string CLocalAppSettings::GetUILanguage() { return GetString(kGeneralCategory, "UILanguage", "Auto"); }

std::string CLocalAppSettings::GetDatabaseAddress() {
  return GetString(kGeneralCategory, "DatabaseAddress", "127.0.0.1");
}
bool CLocalAppSettings::SetDatabaseAddress(const std::string& address) {
  return SetString(kGeneralCategory, "DatabaseAddress", address);
}
int32_t CLocalAppSettings::GetDatabasePort() { return GetLong(kGeneralCategory, "DatabasePort", 3306); }
bool CLocalAppSettings::SetDatabasePort(int32_t port) { return SetLong(kGeneralCategory, "DatabasePort", port); }
std::string CLocalAppSettings::GetDatabaseName() { return GetString(kGeneralCategory, "DatabaseName", "torvane"); }
bool CLocalAppSettings::SetDatabaseName(const std::string& name) {
  return SetString(kGeneralCategory, "DatabaseName", name);
}
std::string CLocalAppSettings::GetDatabaseLoginID() { return GetString(kGeneralCategory, "DatabaseLoginID", "root"); }
bool CLocalAppSettings::SetDatabaseLoginID(const std::string& loginId) {
  return SetString(kGeneralCategory, "DatabaseLoginID", loginId);
}

std::string CLocalAppSettings::GetDatabasePasswordRaw() {
  return GetString(kGeneralCategory, "DatabasePassword", AriaEncryptString(kBuiltInDatabasePassword));
}
bool CLocalAppSettings::SetDatabasePasswordRaw(const std::string& enciphered) {
  return SetString(kGeneralCategory, "DatabasePassword", enciphered);
}
std::string CLocalAppSettings::GetDatabasePassword() { return AriaDecryptString(GetDatabasePasswordRaw()); }
bool CLocalAppSettings::SetDatabasePassword(const std::string& plain) {
  return SetDatabasePasswordRaw(AriaEncryptString(plain));
}

std::string CLocalAppSettings::GetSystemLoginID() { return GetString(kGeneralCategory, "SystemLoginID", "qivor"); }
bool CLocalAppSettings::SetSystemLoginID(const std::string& loginId) {
  return SetString(kGeneralCategory, "SystemLoginID", loginId);
}
std::string CLocalAppSettings::GetSystemPasswordRaw() {
  return GetString(kGeneralCategory, "SystemPassword", AriaEncryptString(kBuiltInSystemPassword));
}
bool CLocalAppSettings::SetSystemPasswordRaw(const std::string& enciphered) {
  return SetString(kGeneralCategory, "SystemPassword", enciphered);
}
std::string CLocalAppSettings::GetSystemPassword() { return AriaDecryptString(GetSystemPasswordRaw()); }
bool CLocalAppSettings::SetSystemPassword(const std::string& plain) {
  return SetSystemPasswordRaw(AriaEncryptString(plain));
}

int32_t CLocalAppSettings::GetEncryptContents() { return GetBool(kGeneralCategory, "EncryptContents", true); }
std::string CLocalAppSettings::GetEncryptKey() { return GetString(kGeneralCategory, "EncryptKey", kDefaultEncryptKey); }
int32_t CLocalAppSettings::GetChangeNvrSyncMode() { return GetBool(kGeneralCategory, "ChangeNvrSyncMode", false); }
int32_t CLocalAppSettings::GetRestartSyncNvr() { return GetBool(kGeneralCategory, "RestartSyncNvr", true); }
std::string CLocalAppSettings::GetZmsAddress() { return GetString(kGeneralCategory, "ZmsAddress", ""); }
int32_t CLocalAppSettings::GetZmsPort() { return GetLong(kGeneralCategory, "ZmsPort", 0); }
int32_t CLocalAppSettings::GetDMEventThresholdSeconds() {
  return GetLong(kJobCategory, "DMEventThresholdSeconds", 5);
}
int32_t CLocalAppSettings::GetEventStatusSendPeriod() { return GetLong(kJobCategory, "EventStatusSendPeriod", 300); }
int32_t CLocalAppSettings::GetSkipDataSyncNotify() { return GetBool(kDataSyncCategory, "SkipDataSyncNotify", false); }

bool CLocalAppSettings::ReadJobList(const char* key, CSerializable* list) {
  std::string text = GetString(kJobCategory, key, "");
  return text.empty() || CJsonSerializer::Deserialize(text, list);
}

bool CLocalAppSettings::WriteJobList(const char* key, const CSerializable& list) {
  CSerializationInfo root;
  list.Serialize(root);
  std::string text;
  CJsonSerializer::Serialize(root, &text);
  return SetString(kJobCategory, key, text);
}

// Each getter logs under its own name, so the log says which list was unreadable.
#define GATE_JOB_LIST_ACCESSORS(ListClass, Name, key, errorText)              \
  ListClass CLocalAppSettings::Option_Get##Name() {                           \
    ListClass list;                                                           \
    if (!ReadJobList(key, &list)) GATE_LOG(1, "%s", errorText);               \
    return list;                                                              \
  }                                                                           \
  bool CLocalAppSettings::Option_Set##Name(const ListClass& items) { return WriteJobList(key, items); }

GATE_JOB_LIST_ACCESSORS(CDataSynchronizerItems, DataSyncItems, "DataSyncItems", kSyncListError)
GATE_JOB_LIST_ACCESSORS(CNvrDataSynchronizerItems, NvrDataSyncItems, "NvrDataSyncItems", kSyncListError)
GATE_JOB_LIST_ACCESSORS(CAIEventPublisherItems, AIEventPublisherItems, "AIEventPubItems", kListError)
GATE_JOB_LIST_ACCESSORS(CServerStatusPublisherItems, ServerStatusPublisherItems, "ServerStatusPubItems", kListError)
GATE_JOB_LIST_ACCESSORS(CHTNvrDataSynchronizerItems, HTNvrDataSyncItems, "HTNvrDataSyncItems", kSyncListError)
GATE_JOB_LIST_ACCESSORS(CAlarmOutputPublisherItems, AlarmOutputPublisherItems, "AlarmOutputPublisherItems",
                        kListError)
GATE_JOB_LIST_ACCESSORS(CVuzorMetroEventReceiverItems, VuzorMetroEventReceiverItems, "DMEventReceiverItems",
                        kListError)

int32_t CLocalAppSettings::GetMaxItemID() {
  int32_t highest = 0;
  auto take = [&highest](const auto& list) {
    for (const auto& item : list.GetItems()) highest = std::max(highest, item.GetID());
  };
  take(Option_GetDataSyncItems());
  take(Option_GetAIEventPublisherItems());
  take(Option_GetServerStatusPublisherItems());
  take(Option_GetNvrDataSyncItems());
  take(Option_GetHTNvrDataSyncItems());
  take(Option_GetAlarmOutputPublisherItems());
  take(Option_GetVuzorMetroEventReceiverItems());
  return highest;
}
