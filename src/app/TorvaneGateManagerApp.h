// The application object: start-up and shut-down of the whole program, the
// command line, the single-instance rule with its hand-over to the running
// instance, the hand-over to the watchdog, the crash dumper, and the order in
// which the settings, the language, the log levels and the job IDs are set
// up. It owns what the rest of the program reaches through it: the settings
// files (application and Hidden settings), the language texts, the shared
// entity store with the installation's PasswordEncrypted flag, the event
// server and the services in their fixed order, and hands them to the main
// window (PrepareMainDialog). Toolkit-free: the user interface builds the
// window, maps its toolkit onto it and runs it between InitInstance and
// ExitInstance. Everything here runs on the user-interface thread, except
// GetSharedDataStore and GetPasswordEncrypted, which any thread may call.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/Lock.h"
#include "foundation/MultiLang.h"
#include "platform/ProcessSpawn.h"
#include "platform/SingleInstanceLock.h"
#include "shell/AppCommandLine.h"
#include "shell/ApplicationSettings.h"
#include "shell/EventServer.h"
#include "shell/GateService.h"
#include "shell/StartupServices.h"

class CDBDataStore;
class CDataStore;
class CMiniDumper;
class CTorvaneGateManagerDlg;
class IDataStore;

// The building-IoT auth codes of the recording servers, by recording-server ID.
using CZavAuthCodeMap = std::map<int, std::string>;

class CTorvaneGateManagerApp {
 public:
  enum class StartResult {
    kRunMainWindow,   // first instance: run the main window, then ExitInstance
    kSecondInstance,  // another instance runs (and was told to show itself): ExitInstance
  };

  CTorvaneGateManagerApp();
  // Deletes the watchdog's safe file, so that only an orderly end removes it.
  ~CTorvaneGateManagerApp();
  CTorvaneGateManagerApp(const CTorvaneGateManagerApp&) = delete;
  CTorvaneGateManagerApp& operator=(const CTorvaneGateManagerApp&) = delete;

  // What the settings steps call (not owned; must outlive this object). Null
  // or never set: this object's own settings files.
  void SetStartupServices(IStartupServices* services);

  // Start-up: program folder and name, command line, safe file, single
  // instance (a second instance hands over here and returns kSecondInstance),
  // watchdog, crash dumper and dump pruning, Settings folder, Hidden settings,
  // log levels, default settings copy, settings, language, "Start Program",
  // job ID seed. Never fails: a step that cannot be done is skipped (and
  // logged once the log is up). A second instance started by hand waits at
  // most 5 s for the running one to take the show command.
  StartResult InitInstance(int argc, const char* const* argv);

  // True when the window cannot use the desktop (no DISPLAY, or one that does
  // not answer within 3 s): the window then runs headless, which is logged
  // and told on stderr. Leaves the choice to the toolkit when its platform is
  // set or a Wayland display is. After InitInstance.
  bool MustRunHeadless();

  // Hands the window what it takes from the application: the command line's
  // hide and start flags, the loaded language, the services' Hidden settings,
  // the event server with its settings and the auth-code handler. Before the
  // window's OnInitDialog.
  void PrepareMainDialog(CTorvaneGateManagerDlg& dialog);

  // Shut-down: writes the settings files while the log is still open (a
  // failed write is logged and told on stderr), logs "Stop Program" when
  // start-up logged "Start Program", releases the single-instance lock, the
  // ID source and the process logger (later log calls write nothing), and
  // stops reaping the watchdog (which goes on running). Returns the process
  // exit code, 0.
  int ExitInstance();

  // Loads the user-interface texts of the UILanguage value `name` from
  // Language/, with English beneath another language for texts it lacks, and
  // makes them the texts GetLangText answers from (until this object goes).
  void LoadLanguage(const std::string& name);

  const CAppCommandLine& GetCommandLine() const { return commandLine_; }
  const std::string& GetProgramFolder() const { return programFolder_; }
  const std::string& GetProgramFileName() const { return programFileName_; }
  // `<program folder>/safe_<pid>`; empty when no watchdog lies beside the program.
  const std::string& GetSafeFilePath() const { return safeFilePath_; }
  // The user-interface texts; read them on the user-interface thread or after start-up.
  const CMultiLang& GetLanguageTexts() const { return languageTexts_; }
  // Code of the language whose texts were loaded, 0 when none.
  int GetLanguageCode() const { return languageTexts_.GetLoadedLanguage(); }
  // The local socket on which the first instance takes later instances'
  // commands (the user interface listens on it).
  std::string GetInstanceChannelPath() const;

  // The settings files this object owns (filled by start-up unless other
  // startup services were set).
  CApplicationSettings& GetSettings() { return settings_; }
  CLocalAppSettings& GetAppSettings() { return settings_.GetAppSettings(); }
  const CXmlCfg& GetHiddenSettings() const { return settings_.GetHiddenSettings(); }

  // The process-wide entity store over the central database of the
  // application settings. The first call builds it (once, whichever threads
  // call at the same time; it blocks while the database store connects, at
  // most about 12 s) and reads the installation's PasswordEncrypted system
  // setting; every call returns the same store. A database that cannot be
  // reached gives a store all the same, which reports on use.
  std::shared_ptr<IDataStore> GetSharedDataStore();
  // The PasswordEncrypted system setting (0 until the shared store read it).
  int GetPasswordEncrypted() const { return passwordEncrypted_.load(); }

  // The event server; null until one is set. The window starts it and shuts it down.
  IEventServer* GetEventServer() { return eventServer_.get(); }
  void SetEventServer(std::unique_ptr<IEventServer> server) { eventServer_ = std::move(server); }

  // The services in their fixed order: those registered in AppServices.cpp
  // whose service has been built (BuildServices). Read by the window.
  const std::vector<std::shared_ptr<IGateService>>& GetServices() const { return gateServices_; }
  // Builds the registered services (once; after InitInstance, which loads
  // the settings they read).
  void BuildServices();

  // Where the data synchronizer's auth-code updates go (a copy of the map, on
  // the synchronizer's thread) besides the building-IoT notifiers' shared
  // map; the last map is kept here (GetZavAuthCodes).
  void SetAuthCodeSink(std::function<void(const CZavAuthCodeMap&)> sink);
  CZavAuthCodeMap GetZavAuthCodes();

 private:
  void WriteSafeFile(const std::string& programPath);
  void HandOverToFirstInstance();
  void StartWatchdog();
  void ReportStartupProblems();
  void SaveSettings();
  void HandAuthCodes(const CZavAuthCodeMap& codes);

  std::string programFolder_;
  std::string programFileName_;
  int loggingStarted_ = 0;  // 1 once "Start Program" was logged
  platform::SingleInstanceLock instanceLock_;
  std::unique_ptr<CMiniDumper> dumper_;
  CMultiLang languageTexts_;
  std::string safeFilePath_;
  CAppCommandLine commandLine_;
  platform::ChildReaper watchdogReaper_;
  std::string watchdogError_;  // a watchdog that is there but did not start
  CApplicationSettings settings_;
  IStartupServices* services_;
  std::atomic<int> passwordEncrypted_{0};
  std::unique_ptr<IEventServer> eventServer_;
  std::once_flag sharedStoreOnce_;
  std::unique_ptr<CDBDataStore> sharedDBStore_;
  std::shared_ptr<CDataStore> sharedStore_;
  std::vector<std::shared_ptr<IGateService>> gateServices_;
  bool servicesBuilt_ = false;
  CMutex authCodeLock_;
  std::function<void(const CZavAuthCodeMap&)> authCodeSink_ GUARDED_BY(authCodeLock_);
  CZavAuthCodeMap zavAuthCodes_ GUARDED_BY(authCodeLock_);
};

// The one application object of the program.
extern CTorvaneGateManagerApp theApp;

// theApp's shared entity store (CTorvaneGateManagerApp::GetSharedDataStore).
std::shared_ptr<IDataStore> GetSharedDataStore();
