// The General page: the central database connection and the system user of
// the application settings, and whether the program starts when the user logs
// on (an XDG autostart entry, "<program> -start -hide" in the program folder).
// Saving checks name, address, port, database login and system login in that
// order and stores nothing on a failure; the autostart step runs only when
// the box was changed, and its failure is shown and reverts the box while the
// settings stay stored. Leaving with changes asks text 28; a Yes whose save
// fails keeps the dialog on this page.
#pragma once

#include <string>

#include "options/DlgOptionPage.h"

// Where the program is, for its autostart entry.
struct COptionProgramInfo {
  std::string path;      // the executable's full path
  std::string folder;    // its folder (the working folder of the entry)
  std::string baseName;  // its file name without extension
  // The running program's (the program folder as the platform reports it).
  static COptionProgramInfo OfRunningProgram();
};

class CDlgOptionGeneral : public CDlgOptionPage {
 public:
  enum Field {
    kStartup = 1047,
    kDatabaseGroup = 1009,
    kName = 1020,
    kAddress = 1007,
    kPort = 1000,
    kLogin = 1012,
    kPassword = 1014,
    kSystemGroup = 1006,
    kSystemLogin = 1015,
    kSystemPassword = 1016,
  };
  static constexpr int kDefaultPort = 3306;
  static constexpr int kCreateFailedText = 29;
  static constexpr int kDeleteFailedText = 30;

  CDlgOptionGeneral(const ILangTexts* texts, CLocalAppSettings* settings, COptionProgramInfo program);

  // Whether the entry exists now, and the stored settings, into the fields.
  void LoadItems() override;
  // 0 when the operator chose Yes and the save was refused; else 1.
  int QueryClose() override;
  int SaveItems() override { return SaveSettings(true); }

  // Checks and stores the fields (read first when `readFields`), then
  // creates or deletes the autostart entry when the box was changed.
  // 1 when stored, 0 when a field was refused (nothing stored).
  int SaveSettings(bool readFields);
  // `<autostart folder>/<program base name>.desktop`; "" when no folder is known.
  std::string GetStartupShortcutPath() const;

 private:
  bool IsUnchanged();
  // Shows `textNumber` and puts the box back to the start-up flag.
  void ShowStartupFailure(int textNumber);

  COptionProgramInfo program_;
  bool existed_ = false;  // whether the entry existed at the last load or save
};
