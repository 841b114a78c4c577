#include "services/ServiceSettings.h"

#include "foundation/Aes128.h"
#include "foundation/StringUtil.h"
#include "shell/LocalAppSettings.h"

CServiceSettings CServiceSettings::Read(CLocalAppSettings& settings) {
  CServiceSettings copy;
  copy.databaseAddress = settings.GetDatabaseAddress();
  copy.databasePort = settings.GetDatabasePort();
  copy.databaseName = settings.GetDatabaseName();
  copy.databaseLoginID = settings.GetDatabaseLoginID();
  copy.databasePassword = settings.GetDatabasePassword();
  copy.systemLoginID = settings.GetSystemLoginID();
  copy.systemPassword = settings.GetSystemPassword();
  copy.encryptContents = settings.GetEncryptContents() != 0;
  copy.encryptKey = settings.GetEncryptKey();
  return copy;
}

std::string EncodeEventBody(const std::string& json, const CServiceSettings& settings) {
  std::string utf8 = AnsiToUtf8(json);
  if (!settings.encryptContents) return utf8;
  return AesEncryptBody(settings.encryptKey, utf8);
}
