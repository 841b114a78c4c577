// CApplicationSettings: the settings files the application object owns (the
// Hidden settings store and the application settings), with the start-up
// steps that fill them. Start-up calls the steps through IStartupServices on
// the user-interface thread; afterwards the main window reads the Hidden
// values and the services and option pages the application settings.
#pragma once

#include <string>

#include "foundation/XmlCfg.h"
#include "shell/LocalAppSettings.h"
#include "shell/StartupServices.h"

class CApplicationSettings : public IStartupServices {
 public:
  CApplicationSettings() = default;
  // The application settings write their file once more as they end.
  ~CApplicationSettings() override = default;
  CApplicationSettings(const CApplicationSettings&) = delete;
  CApplicationSettings& operator=(const CApplicationSettings&) = delete;

  // Hidden_Load of Settings/Hidden.xml (the default text written when missing).
  void LoadHiddenSettings() override;
  // Hidden_GetDebugUseLogFile.
  int GetDebugUseLogFile() override;
  // CLocalSettings::Load of the application settings (an unreadable file is set aside).
  void LoadAppSettings(const std::string& path) override;
  std::string GetUILanguage() override;
  // CLocalAppSettings::GetMaxItemID.
  int GetMaxItemID() override;
  // Saves the application settings to the path they were loaded from, then
  // turns their automatic saving off. True when nothing was loaded.
  bool SaveAppSettings(std::string* path) override;

  // The Hidden store: filled once by LoadHiddenSettings, only read afterwards.
  const CXmlCfg& GetHiddenSettings() const { return hidden_; }
  CLocalAppSettings& GetAppSettings() { return appSettings_; }

 private:
  CXmlCfg hidden_;
  CLocalAppSettings appSettings_;
};
