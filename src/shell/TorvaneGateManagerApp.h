// The application object: start-up and shut-down of the whole program, the
// command line, the single-instance rule with its hand-over to the running
// instance, the hand-over to the watchdog, the crash dumper, and the order in
// which the settings, the language, the log levels and the job IDs are set
// up. Toolkit-free: the user interface runs the main window between
// InitInstance and ExitInstance. Everything here runs on the user-interface
// thread.
#pragma once

#include <memory>
#include <string>

#include "foundation/MultiLang.h"
#include "platform/ProcessSpawn.h"
#include "platform/SingleInstanceLock.h"
#include "shell/AppCommandLine.h"
#include "shell/StartupServices.h"

class CMiniDumper;

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
  // or never set: CStartupServicesDefaults (nothing loaded, a silent log, the
  // system's language, no jobs).
  void SetStartupServices(IStartupServices* services);

  // Start-up: program folder and name, command line, safe file, single
  // instance (a second instance hands over here and returns kSecondInstance),
  // watchdog, crash dumper and dump pruning, Settings folder, Hidden settings,
  // log levels, default settings copy, settings, language, "Start Program",
  // job ID seed. Never fails: a step that cannot be done is skipped (and
  // logged once the log is up). A second instance started by hand waits at
  // most 5 s for the running one to take the show command.
  StartResult InitInstance(int argc, const char* const* argv);

  // Shut-down: logs "Stop Program" when start-up logged "Start Program",
  // releases the single-instance lock, the ID source and the process logger
  // (later log calls write nothing), and stops reaping the watchdog (which
  // goes on running). Returns the process exit code, 0.
  int ExitInstance();

  // Loads the user-interface texts of the UILanguage value `name` from
  // Language/, with English beneath another language for texts it lacks.
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

 private:
  void WriteSafeFile(const std::string& programPath);
  void HandOverToFirstInstance();
  void StartWatchdog();

  std::string programFolder_;
  std::string programFileName_;
  int loggingStarted_ = 0;  // 1 once "Start Program" was logged
  platform::SingleInstanceLock instanceLock_;
  std::unique_ptr<CMiniDumper> dumper_;
  CMultiLang languageTexts_;
  std::string safeFilePath_;
  CAppCommandLine commandLine_;
  platform::ChildReaper watchdogReaper_;
  IStartupServices* services_;
};

// The one application object of the program.
extern CTorvaneGateManagerApp theApp;
