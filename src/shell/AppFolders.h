// The folders and settings files of the application, all under the program
// folder (the executable's folder, or the override that tests set). Every
// function builds a new path at each call; nothing checks whether the folder
// or the file exists, nothing is cached, and any thread may call them.
#pragma once

#include <string>

// The program folder (platform::GetProgramFolder): no trailing '/', except
// for the root folder "/".
std::string GetAppFolder();

// `folder` and `name` joined: the name alone when the folder is empty, the
// two run together when the folder ends in '/', else joined with one '/'.
std::string CombinePath(const std::string& folder, const std::string& name);

std::string GetSettingsFolderPath();  // <program folder>/Settings
std::string GetLogFolderPath();       // <program folder>/Log
std::string GetLanguageFolderPath();  // <program folder>/Language
std::string GetDataFolderPath();      // <program folder>/Data: status files and snapshots

std::string GetAppSettingsFilePath();              // Settings/AppSettings.xml
std::string GetAppSettingsDefaultFilePath();       // Settings/AppSettings_Default.xml
std::string GetDeviceUserFieldsFilePath();         // Settings/DeviceUserFields.xml
std::string GetDeviceUserFieldsDefaultFilePath();  // Settings/DeviceUserFields_Default.xml
std::string GetHiddenSettingsFilePath();           // Settings/Hidden.xml
std::string GetOptionPageSettingsFilePath();       // Settings/OptionPageSettings.xml
std::string GetWatchdogFilePath();                 // <program folder>/Watchdog
