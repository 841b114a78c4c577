// CLocalAppSettings: the typed view of Settings/AppSettings.xml, the one
// settings object of the application. Each accessor reads or writes one value
// of the local settings file under a fixed category, key and default; a value
// that is absent or stored empty reads as its default. Passwords are stored
// enciphered (ARIA string cipher, Base64) and read in clear by the plain
// accessors. The file is written back on every change (or once per batch,
// CLocalSettings::BeginUpdate/EndUpdate) and once more when the object ends.
//
// Every accessor takes the base's lock for its access; any thread may call them.
#pragma once

#include <stdint.h>

#include <string>

#include "database/LocalSettings.h"
#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"

class CLocalAppSettings : public CLocalSettings {
 public:
  // Categories of the file.
  static constexpr int kGeneralCategory = 0;
  static constexpr int kJobCategory = 1;  // job lists and the services' periods
  static constexpr int kDataSyncCategory = 2;

  CLocalAppSettings() = default;
  ~CLocalAppSettings() override = default;

  // "English", "Korean" or "Chinese" (any case); "Auto" or anything else
  // chooses the system's language. Default "Auto".
  std::string GetUILanguage();

  // The central database. Defaults "127.0.0.1", 3306, "torvane", "root".
  std::string GetDatabaseAddress();
  bool SetDatabaseAddress(const std::string& address);
  int32_t GetDatabasePort();
  bool SetDatabasePort(int32_t port);
  std::string GetDatabaseName();
  bool SetDatabaseName(const std::string& name);
  std::string GetDatabaseLoginID();
  bool SetDatabaseLoginID(const std::string& loginId);
  // The stored (enciphered) password, or the enciphered built-in one when
  // absent or empty; the raw setter stores its text unchanged.
  std::string GetDatabasePasswordRaw();
  bool SetDatabasePasswordRaw(const std::string& enciphered);
  // The password in clear (deciphered at every call); the setter enciphers.
  std::string GetDatabasePassword();
  bool SetDatabasePassword(const std::string& plain);

  // The installation's system account of the services' requests. Default "qivor".
  std::string GetSystemLoginID();
  bool SetSystemLoginID(const std::string& loginId);
  std::string GetSystemPasswordRaw();
  bool SetSystemPasswordRaw(const std::string& enciphered);
  std::string GetSystemPassword();
  bool SetSystemPassword(const std::string& plain);

  // Enciphering of outgoing bodies: on by default, under a 16-character key.
  int32_t GetEncryptContents();
  std::string GetEncryptKey();
  // The NVR data synchronizer's switches: 0 and 1 by default.
  int32_t GetChangeNvrSyncMode();
  int32_t GetRestartSyncNvr();
  // The management server: "" and 0 by default (its readers then use the
  // database address and port 80).
  std::string GetZmsAddress();
  int32_t GetZmsPort();
  // Seconds within which the metro receiver skips a repeated event (5), and
  // within which the AI event publisher does not send a result again (300).
  int32_t GetDMEventThresholdSeconds();
  int32_t GetEventStatusSendPeriod();
  // On: a data synchronizer run saves its snapshot without posting (category 2; default 0).
  int32_t GetSkipDataSyncNotify();

  // The seven job lists, each the JSON text of the list under its key of
  // category 1: an array of one object per job, every value a JSON string,
  // members joined by ", "; an empty list is stored as "". A getter reads the
  // text into a new list (member names in any letter case); an empty text is
  // an empty list; a text that cannot be read gives an empty list and two log
  // lines (the reader's and the getter's). A setter returns SetString's result.
  CDataSynchronizerItems Option_GetDataSyncItems();
  bool Option_SetDataSyncItems(const CDataSynchronizerItems& items);
  CNvrDataSynchronizerItems Option_GetNvrDataSyncItems();
  bool Option_SetNvrDataSyncItems(const CNvrDataSynchronizerItems& items);
  CAIEventPublisherItems Option_GetAIEventPublisherItems();
  bool Option_SetAIEventPublisherItems(const CAIEventPublisherItems& items);
  CServerStatusPublisherItems Option_GetServerStatusPublisherItems();
  bool Option_SetServerStatusPublisherItems(const CServerStatusPublisherItems& items);
  CHTNvrDataSynchronizerItems Option_GetHTNvrDataSyncItems();
  bool Option_SetHTNvrDataSyncItems(const CHTNvrDataSynchronizerItems& items);
  CAlarmOutputPublisherItems Option_GetAlarmOutputPublisherItems();
  bool Option_SetAlarmOutputPublisherItems(const CAlarmOutputPublisherItems& items);
  CVuzorMetroEventReceiverItems Option_GetVuzorMetroEventReceiverItems();
  bool Option_SetVuzorMetroEventReceiverItems(const CVuzorMetroEventReceiverItems& items);

  // The highest job ID over the seven lists, 0 when there is none (negative
  // IDs never count). Start-up makes it the last issued "GATEMANAGER_ID".
  int32_t GetMaxItemID();

 private:
  // Fills `list` from the stored text of `key`; false when the text cannot be read.
  bool ReadJobList(const char* key, CSerializable* list);
  bool WriteJobList(const char* key, const CSerializable& list);
};
