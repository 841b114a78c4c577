// CDlgOptionMain: the option dialog without a toolkit. It reads which pages
// have a button from Settings/OptionPageSettings.xml (read only, never
// written), lays out the strip of page buttons, makes each page on its first
// show and reloads it on every show, asks the current page before another is
// shown, saves only the current page on Save (and Enter), and reverts it on
// Close, Escape and the close box, which also end the dialog. The toolkit
// layer builds the pages' controls through IOptionDialogView. All calls on
// the user-interface thread, inside the modal loop.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "options/DlgOptionGeneral.h"
#include "options/DlgOptionPage.h"
#include "shell/FontStyle.h"
#include "shell/LangTexts.h"

class CLocalAppSettings;

// One button of the page strip, in the dialog's client coordinates.
struct COptionPageButton {
  int page = 0;  // 1 to 8
  int id = 0;    // 1000 to 1007
  std::string caption;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class IOptionDialogView {
 public:
  virtual ~IOptionDialogView() = default;
  // Builds the controls of a new page over the page area and binds the page
  // to them (CDlgOptionPage::CreatePage); the page starts hidden.
  virtual void CreatePageView(int page, CDlgOptionPage* model) = 0;
  virtual void ShowPageView(int page) = 0;
  virtual void HidePageView(int page) = 0;
  // Shows `page`'s button pushed and every other released.
  virtual void CheckPageButton(int page) = 0;
  // Ends the modal loop (the caller ignores the result).
  virtual void EndDialog() = 0;
};

class CDlgOptionMain {
 public:
  static constexpr int kPageCount = 8;
  static constexpr int kButtonWidth = 120;
  static constexpr int kButtonStep = 123;
  static constexpr int kFirstButtonId = 1000;
  static constexpr int kCaptionText = 1;
  static constexpr int kSaveText = 18;
  static constexpr int kCloseText = 19;
  static constexpr int kKoreanLanguage = 2;

  // `view`, `messages`, `texts` and `settings` must outlive the dialog.
  // `languageCode` is the loaded language (2 Korean).
  CDlgOptionMain(IOptionDialogView* view, IOptionMessageBox* messages, const ILangTexts* texts,
                 CLocalAppSettings* settings, int languageCode,
                 COptionProgramInfo program = COptionProgramInfo::OfRunningProgram());
  ~CDlgOptionMain();
  CDlgOptionMain(const CDlgOptionMain&) = delete;
  CDlgOptionMain& operator=(const CDlgOptionMain&) = delete;

  // Loads the page settings from `pageSettingsPath`, lays the strip's buttons
  // out in the rectangle whose left edge is `left` and whose top and bottom
  // are `top` and `bottom`, and shows page 1. True.
  bool OnInitDialog(const std::string& pageSettingsPath, int left, int top, int bottom);

  // Makes the page when missing and shows it (LoadItems every time); numbers
  // outside 1 to 8, or a page without a button, do nothing. True when shown.
  bool ShowPage(int page);
  // Whether the current page's QueryClose lets it go.
  bool CanLeaveCurrentPage();
  // A page button: another page is shown when the current one may be left;
  // otherwise the strip shows the current page's button again.
  void OnPageButton(int page);
  // Save and Enter: SaveItems of the current page; the dialog stays.
  void OnOK();
  // Close, Escape and the close box: RevertItems of the current page, then the dialog ends.
  void OnCancel();

  const std::vector<COptionPageButton>& GetButtons() const { return buttons_; }
  // Tahoma, 13 pixels with the Korean texts, else 12, weight 400.
  const CFontStyle& GetButtonFont() const { return buttonFont_; }
  int GetCurrentPage() const { return currentPage_; }
  // The page made for `page`, or null.
  CDlgOptionPage* GetPage(int page);
  std::string Text(int number) const { return texts_->GetText(number); }

 private:
  std::unique_ptr<CDlgOptionPage> MakePage(int page);
  bool HasButton(int page) const;

  IOptionDialogView* view_;
  IOptionMessageBox* messages_;
  const ILangTexts* texts_;
  CLocalAppSettings* settings_;
  COptionProgramInfo program_;
  CFontStyle buttonFont_;
  std::vector<COptionPageButton> buttons_;
  std::map<int, std::unique_ptr<CDlgOptionPage>> pages_;
  int currentPage_ = 0;
};
