// What start-up and shut-down need of the settings files, the language texts
// and the job ID source, behind one small interface so that the order of the
// steps stays in the application object and each part fills in its own step.
#pragma once

#include <string>

class IStartupServices {
 public:
  virtual ~IStartupServices() = default;

  // Loads Settings/Hidden.xml (writing the built-in defaults when it is missing).
  virtual void LoadHiddenSettings() = 0;
  // The Hidden setting UseLogFile (Debug): 0 or less silent, 1 debugger
  // output and log file, 2 or more debugger output only.
  virtual int GetDebugUseLogFile() = 0;

  // Loads the application settings from `path`; a missing or unreadable file
  // leaves the built-in defaults.
  virtual void LoadAppSettings(const std::string& path) = 0;
  // The application setting UILanguage ("Auto" when absent).
  virtual std::string GetUILanguage() = 0;
  // The highest job ID stored in the settings' job lists (0 when none).
  virtual int GetMaxItemID() = 0;

  // Empties both language text tables.
  virtual void ClearLanguageTexts() = 0;
  // Loads the texts of language `code` (0: the system's language) from
  // `folder` into the main table, or into the fallback table when `fallback`.
  // Returns the code of the language actually loaded, 0 when none.
  virtual int LoadLanguageTexts(const std::string& folder, const std::string& programFileName, bool fallback,
                                int code) = 0;

  // Makes the ID source's next ID of `key` be `value` + 1.
  virtual void SetCurrentID(const std::string& key, int value) = 0;
  // Deletes the process-wide ID source (shut-down).
  virtual void ReleaseIdSource() = 0;
};
