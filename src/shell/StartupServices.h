// What start-up needs of the settings files, behind one small interface, so
// that the order of the steps stays in the application object and the
// settings files fill in their own steps.
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
  // Shut-down: writes the application settings a last time (nothing is
  // written after it). False when the file cannot be written; `path` gets the
  // file's path.
  virtual bool SaveAppSettings(std::string* path) = 0;
};

// What start-up does until the settings files are wired in: nothing to load,
// a silent log, the system's language, no jobs.
class CStartupServicesDefaults : public IStartupServices {
 public:
  void LoadHiddenSettings() override {}
  int GetDebugUseLogFile() override { return 0; }
  void LoadAppSettings(const std::string&) override {}
  std::string GetUILanguage() override { return "Auto"; }
  int GetMaxItemID() override { return 0; }
  bool SaveAppSettings(std::string*) override { return true; }
};
