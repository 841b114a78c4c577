// The main window: the Qt widgets of CTorvaneGateManagerDlg (the job list, the
// status text, the Option and Start buttons, the tray icon and the status
// timer). Closing it never ends the program: with a tray icon it hides (the
// tray brings it back), without one it minimises so the window stays
// reachable. Only the tray's Exit or a termination signal ends the program.
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "shell/TorvaneGateManagerDlg.h"

class CLocalAppSettings;

class QLabel;
class QPushButton;
class QTimer;
class ListCtrlExWidget;
class TrayHost;
class WidgetResizerHost;

class MainWindow : public QWidget, public IMainDialogView {
  Q_OBJECT

 public:
  // `texts` must outlive the window. `trayHost` stands in for the desktop's
  // notification area when given (tests); otherwise the desktop's is used.
  MainWindow(std::vector<std::shared_ptr<IGateService>> services, const ILangTexts* texts,
             ITrayHost* trayHost = nullptr, QWidget* parent = nullptr);
  // Stops the services (as the window's destruction does).
  ~MainWindow() override;

  // Initialises the dialog (services, captions, list, anchors) and posts the
  // start-up step. Set the flags on dialog() first.
  void Initialize();
  CTorvaneGateManagerDlg& dialog() { return *dialog_; }
  ListCtrlExWidget* jobList() const { return list_; }
  QPushButton* optionButton() const { return option_; }
  QPushButton* startButton() const { return start_; }
  QLabel* statusLabel() const { return status_; }
  // Whether the status timer runs.
  bool IsTimerActive(unsigned id) const;
  // What the option dialog edits: the application settings (must outlive the
  // window; null: the Option button opens nothing) and the loaded language
  // (2 Korean). `pageSettingsPath` is Settings/OptionPageSettings.xml.
  void SetOptionContext(CLocalAppSettings* settings, int languageCode, std::string pageSettingsPath);

  // IMainDialogView
  void SetOptionButtonText(const std::string& text) override;
  void SetStartButtonText(const std::string& text) override;
  void SetStatusText(const std::string& text) override;
  void EnableOptionButton(bool enable) override;
  void StartTimer(unsigned id, int milliseconds) override;
  void StopTimer(unsigned id) override;
  void PostAppStartup() override;
  void ShowWindowNormal() override;
  void HideWindow() override;
  void MinimizeWindow() override;
  bool IsWindowHidden() const override;
  void QuitProgram() override;
  void AddSystemMenuItem(const std::string& text, unsigned command) override;
  void ShowAboutBox(const CAboutBoxTexts& texts) override;
  void OpenOptionDialog() override;
  std::string GetWindowTitle() const override;
  ITrayHost* GetTrayHost() override;
  IResizerHost* GetResizerHost() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOutTemplate();
  void WatchTrayHost();

  std::unique_ptr<CTorvaneGateManagerDlg> dialog_;
  std::unique_ptr<WidgetResizerHost> resizerHost_;
  ITrayHost* trayHost_ = nullptr;
  const ILangTexts* texts_;
  CLocalAppSettings* optionSettings_ = nullptr;
  int languageCode_ = 0;
  std::string pageSettingsPath_;
  TrayHost* desktopTray_ = nullptr;
  QLabel* status_ = nullptr;
  ListCtrlExWidget* list_ = nullptr;
  QPushButton* option_ = nullptr;
  QPushButton* start_ = nullptr;
  std::map<unsigned, QTimer*> timers_;
  QTimer* trayWatch_ = nullptr;
  bool trayWasAvailable_ = false;
};
