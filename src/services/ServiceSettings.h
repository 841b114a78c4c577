// CServiceSettings: what a job service copies from the application settings
// when it starts: the central database, the installation's system account,
// and the enciphering of outgoing bodies. A plain value; the service reads
// its copy for the whole run, so a change in the settings takes effect at the
// next Start.
#pragma once

#include <string>

class CLocalAppSettings;

struct CServiceSettings {
  std::string databaseAddress;
  int databasePort = 3306;
  std::string databaseName;
  std::string databaseLoginID;
  std::string databasePassword;  // in clear
  std::string systemLoginID;
  std::string systemPassword;    // in clear
  bool encryptContents = true;
  std::string encryptKey;

  // The values of `settings` (their getters' defaults where a value is absent).
  static CServiceSettings Read(CLocalAppSettings& settings);
};

// The body posted for the JSON text `json` (legacy code page): the text in
// UTF-8, and while `settings.encryptContents` is on enciphered with AES-128
// in CBC mode (key and IV both the first 16 bytes of the key, a shorter key
// zero-padded with a warning in the log; PKCS#7 padding) and Base64-encoded.
std::string EncodeEventBody(const std::string& json, const CServiceSettings& settings);
