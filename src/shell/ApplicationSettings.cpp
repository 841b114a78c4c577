#include "shell/ApplicationSettings.h"

#include "shell/HiddenSettings.h"

void CApplicationSettings::LoadHiddenSettings() { Hidden_Load(hidden_); }

int CApplicationSettings::GetDebugUseLogFile() { return Hidden_GetDebugUseLogFile(hidden_); }

void CApplicationSettings::LoadAppSettings(const std::string& path) { appSettings_.Load(path); }

std::string CApplicationSettings::GetUILanguage() { return appSettings_.GetUILanguage(); }

int CApplicationSettings::GetMaxItemID() { return appSettings_.GetMaxItemID(); }

bool CApplicationSettings::SaveAppSettings(std::string* path) {
  *path = appSettings_.GetPath();
  if (path->empty()) return true;
  bool saved = appSettings_.Save(*path);
  appSettings_.SetAutoSave(false);
  return saved;
}
