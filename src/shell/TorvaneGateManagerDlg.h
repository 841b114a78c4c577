// CTorvaneGateManagerDlg: the logic of the program's only window. It owns the
// order of the services (GateServiceKind), initialises them when it opens,
// starts the configured ones and stops them all with its Start button, shows
// one row per job in its job list and refreshes the rows' status columns every
// 1000 ms while the services run, keeps the tray icon whose menu opens the
// window or ends the program, and keeps the controls anchored through its
// window resizer. Closing the window only hides it (it minimises when there is
// no notification area); only the tray's Exit, or a termination signal, ends
// the program. The toolkit layer implements IMainDialogView and forwards the
// window's events. All calls on the user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/EventServer.h"
#include "shell/GateService.h"
#include "shell/LangTexts.h"
#include "shell/ListCtrlEx.h"
#include "shell/SystemTray.h"
#include "shell/WndResizer.h"

// What the dialog needs of its window.
class IMainDialogView {
 public:
  virtual ~IMainDialogView() = default;
  virtual void SetOptionButtonText(const std::string& text) = 0;
  virtual void SetStartButtonText(const std::string& text) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void EnableOptionButton(bool enable) = 0;
  // Calls OnTimer(id) every `milliseconds` until StopTimer(id).
  virtual void StartTimer(unsigned id, int milliseconds) = 0;
  virtual void StopTimer(unsigned id) = 0;
  // Calls OnAppStartup once the window's initialisation has finished.
  virtual void PostAppStartup() = 0;
  // Shows the window in its normal state, raised and activated.
  virtual void ShowWindowNormal() = 0;
  virtual void HideWindow() = 0;
  // Shows the window minimised (reachable from the task bar).
  virtual void MinimizeWindow() = 0;
  virtual bool IsWindowHidden() const = 0;
  // Ends the program's event loop with exit code 0.
  virtual void QuitProgram() = 0;
  // Runs the option dialog modally.
  virtual void OpenOptionDialog() = 0;
  virtual std::string GetWindowTitle() const = 0;
  virtual ITrayHost* GetTrayHost() = 0;
  virtual IResizerHost* GetResizerHost() = 0;
};

class CTorvaneGateManagerDlg {
 public:
  static constexpr unsigned kTrayShowCommand = 32771;
  static constexpr unsigned kTrayExitCommand = 32772;
  static constexpr unsigned kStatusTimerId = 1000;
  static constexpr int kStatusTimerPeriodMs = 1000;
  static constexpr unsigned kTrayIconId = 129;
  // Control identifiers, as the resizer names their panels.
  static constexpr unsigned kJobListId = 1000;
  static constexpr unsigned kOptionButtonId = 1001;
  static constexpr unsigned kStartButtonId = 1003;
  static constexpr unsigned kStatusTextId = 1004;

  // `view` and `texts` must outlive the dialog. `services` are the services
  // present, in any order: the dialog keeps them in the fixed order (the first
  // of a kind counts; null entries are dropped).
  CTorvaneGateManagerDlg(IMainDialogView* view, const ILangTexts* texts,
                         std::vector<std::shared_ptr<IGateService>> services);
  // Runs OnDestroy when it has not run.
  ~CTorvaneGateManagerDlg();
  CTorvaneGateManagerDlg(const CTorvaneGateManagerDlg&) = delete;
  CTorvaneGateManagerDlg& operator=(const CTorvaneGateManagerDlg&) = delete;

  // From the command line, before OnInitDialog: -hide keeps the window
  // hidden at start-up, -start presses Start once the window is up.
  void SetHideFlag(bool hide) { hideFlag_ = hide; }
  bool IsHideFlagSet() const { return hideFlag_; }
  void SetStartFlag(bool start) { startFlag_ = start; }
  // The loaded language (2 Korean selects the Korean list font).
  void SetLanguageCode(int code) { languageCode_ = code; }
  // Receives the value 2 of the data synchronizer's "MSG_BIOT_ZAV_AUTH_CODE_UPDATED"
  // (the map of recording-server ID to auth code), on the synchronizer's
  // thread, during the publication. Set before OnInitDialog.
  void SetAuthCodeMapHandler(std::function<void(intptr_t)> handler) { authCodeMapHandler_ = std::move(handler); }
  // What each service takes of the Hidden settings before it initialises.
  void SetServiceHiddenSettings(const CGateServiceHiddenSettings& settings) { serviceSettings_ = settings; }
  // The event server (not owned; null: none) with its settings: configured
  // and started when the window opens, shut down when it is destroyed.
  void SetEventServer(IEventServer* server, const CEventServerSettings& settings) {
    eventServer_ = server;
    eventServerSettings_ = settings;
  }

  // Subscribes to and initialises the services in order, sets the captions,
  // the job list's columns and the anchors, then posts OnAppStartup. True.
  bool OnInitDialog();
  // Presses Start (start flag) or shows the jobs, and brings up the tray icon;
  // without a notification area a window kept hidden is shown minimised.
  void OnAppStartup();
  // Start and Stop: the state table of the window.
  void OnBnClickedStart();
  void OnBnClickedOption();
  void OnTimer(unsigned id);
  // Tray and second-instance command 32771: show the window normal, raised and active.
  void OnTrayShow();
  // Tray command 32772 and the termination signals: end the program.
  void OnTrayExit();
  // A menu command of the tray.
  void OnCommand(unsigned command);
  // A close request (close box, Alt+F4): hides the window, or minimises it
  // when there is no tray icon; ends the program after OnTrayExit.
  void OnClose();
  // The notification area came or went; a hidden window is shown minimised when it went.
  void OnTrayHostChanged(bool available);
  // Stops the timer, the tray icon and every service, unsubscribes, shuts
  // the event server down, then stops every service once more in order
  // (each releasing its process-wide resources). Runs once.
  void OnDestroy();

  // True when IsConfigured of any service is true (asked in order, up to the first true).
  bool IsAnyServiceConfigured();
  // Sets the running flag and starts each configured service in order. Returns 1.
  int StartServices();
  // Clears the start and running flags and stops every service in order.
  void StopServices();
  // Rebuilds the job list: one row per job whose run status has a positive ID.
  void RefreshItemList();
  // Refreshes the changing columns of the existing rows from the services, by job ID.
  void UpdateItemStatus();

  bool IsRunning() const { return running_; }
  bool IsQuitting() const { return quit_; }
  CListCtrlEx& GetList() { return list_; }
  CSystemTray& GetTray() { return tray_; }
  CWndResizer& GetResizer() { return resizer_; }
  const std::vector<std::shared_ptr<IGateService>>& GetServices() const { return services_; }

  // The texts of one job's columns 2 (details), 3 (target) and 4 (time) for a service of `kind`.
  std::string FormatDetails(GateServiceKind kind, const CGateServiceItem& item,
                            const CGateServiceItemStatus& status) const;
  static std::string FormatTarget(GateServiceKind kind, const CGateServiceItem& item);

 private:
  std::string Text(int index) const;
  void SetStatusColumns(int row, GateServiceKind kind, const CGateServiceItem& item,
                        const CGateServiceItemStatus& status, bool withDetails);
  void ShowTrayIcon();
  static void OnDataSyncMessage(const IMessagePublisher::_message_t* message);
  static void OnIgnoredMessage(const IMessagePublisher::_message_t* message);

  IMainDialogView* view_;
  const ILangTexts* texts_;
  std::vector<std::shared_ptr<IGateService>> services_;  // fixed order
  CSystemTray tray_;
  CListCtrlEx list_;
  CFontStyle listFont_;
  CWndResizer resizer_;
  std::function<void(intptr_t)> authCodeMapHandler_;
  CGateServiceHiddenSettings serviceSettings_;
  IEventServer* eventServer_ = nullptr;
  CEventServerSettings eventServerSettings_;
  int languageCode_ = 0;
  bool quit_ = false;
  bool hideFlag_ = false;
  bool startFlag_ = false;
  bool running_ = false;
  bool initialised_ = false;
  bool destroyed_ = false;
};
