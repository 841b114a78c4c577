// The option dialog's window: the strip of page buttons (120 pixels wide, 123
// apart, in the button font), the page area, Save (the default button, also
// Enter) and Close. Close, Escape and the close box revert the current page
// and close the dialog (Qt's reject). Message boxes are Qt's unless a test
// answers them through its own IOptionMessageBox. Run it with exec().
#pragma once

#include <QDialog>

#include <map>
#include <memory>
#include <string>

#include "options/DlgOptionMain.h"

class QButtonGroup;
class QPushButton;
class OptionPageWidget;

class OptionDialog : public QDialog, public IOptionDialogView, public IOptionMessageBox {
  Q_OBJECT

 public:
  // Where the strip starts, in pixels of the dialog's client area.
  static constexpr int kStripLeft = 10;
  static constexpr int kStripTop = 10;
  static constexpr int kStripHeight = 24;

  // `texts` and `settings` must outlive the dialog. `messages` answers the
  // message boxes instead of Qt's (tests); null: Qt's boxes.
  OptionDialog(const ILangTexts* texts, CLocalAppSettings* settings, int languageCode, QWidget* parent = nullptr,
               IOptionMessageBox* messages = nullptr,
               COptionProgramInfo program = COptionProgramInfo::OfRunningProgram());
  ~OptionDialog() override;

  // Reads `pageSettingsPath`, builds the strip and shows the General page.
  void Initialize(const std::string& pageSettingsPath);

  CDlgOptionMain& model() { return *model_; }
  // The strip's button of a page, or null.
  QPushButton* pageButton(int page) const;
  // The widgets of a page made so far, or null.
  OptionPageWidget* pageWidget(int page) const;
  QPushButton* saveButton() const { return save_; }
  QPushButton* closeButton() const { return close_; }

  // IOptionDialogView
  void CreatePageView(int page, CDlgOptionPage* model) override;
  void ShowPageView(int page) override;
  void HidePageView(int page) override;
  void CheckPageButton(int page) override;
  void EndDialog() override;
  // IOptionMessageBox: Qt's message box, modal to the dialog.
  bool ShowMessage(const std::string& text, const std::string& caption, OptionMessageKind kind) override;

 public slots:
  // Escape, Close and the close box.
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlacePageArea();

  std::unique_ptr<CDlgOptionMain> model_;
  IOptionMessageBox* messages_;
  QWidget* pageArea_ = nullptr;
  QButtonGroup* strip_ = nullptr;
  std::map<int, QPushButton*> buttons_;
  std::map<int, OptionPageWidget*> pages_;
  QPushButton* save_ = nullptr;
  QPushButton* close_ = nullptr;
};
