#include "options/DlgOptionGeneral.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/Log.h"
#include "foundation/ProcessUtil.h"
#include "platform/ProgramFolder.h"
#include "shell/LocalAppSettings.h"

COptionProgramInfo COptionProgramInfo::OfRunningProgram() {
  COptionProgramInfo info;
  info.path = platform::GetProgramPath();
  info.folder = platform::GetProgramFolder();
  std::string name = platform::GetProgramFileName();
  size_t dot = name.rfind('.');
  info.baseName = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  return info;
}

CDlgOptionGeneral::CDlgOptionGeneral(const ILangTexts* texts, CLocalAppSettings* settings,
                                     COptionProgramInfo program)
    : CDlgOptionPage(texts, settings), program_(std::move(program)) {
  AddField(kStartup, OptionFieldKind::Check, 20, 0, OptionRequirement::None, "%s");
  AddField(kDatabaseGroup, OptionFieldKind::Group, 21, 1, OptionRequirement::None, "%s");
  AddField(kName, OptionFieldKind::Text, 27, 2, OptionRequirement::NotEmpty);
  AddField(kAddress, OptionFieldKind::Text, 22, 3, OptionRequirement::NotEmpty);
  AddField(kPort, OptionFieldKind::Number, 23, 3, OptionRequirement::Port);
  AddField(kLogin, OptionFieldKind::Text, 24, 4, OptionRequirement::NotEmpty);
  AddField(kPassword, OptionFieldKind::Password, 25, 4);
  AddField(kSystemGroup, OptionFieldKind::Group, 26, 5, OptionRequirement::None, "%s");
  AddField(kSystemLogin, OptionFieldKind::Text, 24, 6, OptionRequirement::NotEmpty);
  AddField(kSystemPassword, OptionFieldKind::Password, 25, 6);
}

std::string CDlgOptionGeneral::GetStartupShortcutPath() const {
  std::string folder = GetStartupFolder();
  if (folder.empty()) return std::string();
  return folder + "/" + program_.baseName + ".desktop";
}

void CDlgOptionGeneral::LoadItems() {
  struct stat st;
  std::string entry = GetStartupShortcutPath();
  existed_ = !entry.empty() && stat(entry.c_str(), &st) == 0;
  MutableValue(kStartup).number = existed_ ? 1 : 0;
  MutableValue(kName).text = settings_->GetDatabaseName();
  MutableValue(kAddress).text = settings_->GetDatabaseAddress();
  MutableValue(kPort).number = settings_->GetLong(CLocalAppSettings::kGeneralCategory, "DatabasePort", kDefaultPort);
  MutableValue(kLogin).text = settings_->GetDatabaseLoginID();
  MutableValue(kPassword).text = settings_->GetDatabasePassword();
  MutableValue(kSystemLogin).text = settings_->GetSystemLoginID();
  MutableValue(kSystemPassword).text = settings_->GetSystemPassword();
  WriteFields();
}

bool CDlgOptionGeneral::IsUnchanged() {
  return (Value(kStartup).number != 0) == existed_ && Value(kName).text == settings_->GetDatabaseName() &&
         Value(kAddress).text == settings_->GetDatabaseAddress() &&
         Value(kPort).number ==
             settings_->GetLong(CLocalAppSettings::kGeneralCategory, "DatabasePort", kDefaultPort) &&
         Value(kLogin).text == settings_->GetDatabaseLoginID() &&
         Value(kPassword).text == settings_->GetDatabasePassword() &&
         Value(kSystemLogin).text == settings_->GetSystemLoginID() &&
         Value(kSystemPassword).text == settings_->GetSystemPassword();
}

int CDlgOptionGeneral::QueryClose() {
  ReadFields();
  if (IsUnchanged()) return 1;
  if (!AskToSave()) return 1;
  return SaveSettings(false) == 0 ? 0 : 1;
}

int CDlgOptionGeneral::SaveSettings(bool readFields) {
  if (readFields) ReadFields();
  COptionFieldCheck check = CheckRequiredFields();
  if (!check.ok) {
    ShowFieldFailure(check);
    return 0;
  }
  settings_->BeginUpdate();
  settings_->SetDatabaseName(Value(kName).text);
  settings_->SetDatabaseAddress(Value(kAddress).text);
  settings_->SetDatabasePort(Value(kPort).number);
  settings_->SetDatabaseLoginID(Value(kLogin).text);
  settings_->SetDatabasePassword(Value(kPassword).text);
  settings_->SetSystemLoginID(Value(kSystemLogin).text);
  settings_->SetSystemPassword(Value(kSystemPassword).text);
  settings_->EndUpdate();

  bool wanted = Value(kStartup).number != 0;
  if (wanted != existed_) {
    if (wanted) {
      if (!CreateShortcut(program_.path, program_.baseName, program_.folder)) {
        GATE_LOG(1, "ERROR - Cannot create the start-up entry '%s'.\r\n", GetStartupShortcutPath().c_str());
        MutableValue(kStartup).number = 0;
        ShowStartupFailure(kCreateFailedText);
      }
    } else {
      std::string entry = GetStartupShortcutPath();
      // An entry already gone counts as deleted.
      if (entry.empty() || (unlink(entry.c_str()) != 0 && errno != ENOENT)) {
        GATE_LOG(1, "ERROR - Cannot delete the start-up entry '%s'.\r\n", entry.c_str());
        MutableValue(kStartup).number = 1;
        ShowStartupFailure(kDeleteFailedText);
      }
    }
    existed_ = Value(kStartup).number != 0;
  }
  return 1;
}

void CDlgOptionGeneral::ShowStartupFailure(int textNumber) {
  if (messages_ != nullptr) messages_->ShowMessage(Text(textNumber), Text(kCaptionText), OptionMessageKind::Error);
  if (view_ != nullptr) view_->SetFieldIndex(kStartup, Value(kStartup).number);
}
