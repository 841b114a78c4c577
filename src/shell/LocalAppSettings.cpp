#include "shell/LocalAppSettings.h"

#include "foundation/Aria.h"

namespace {

constexpr const char* kBuiltInDatabasePassword = "qotrafuvnexib";
constexpr const char* kBuiltInSystemPassword = "qivor";
constexpr const char* kDefaultEncryptKey = "Wr7Hq2xcB9sLm5Dv";

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
