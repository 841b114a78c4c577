#include "shell/TorvaneGateManagerApp.h"

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/IDCreater.h"
#include "foundation/Log.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/InstanceChannel.h"
#include "shell/MiniDumper.h"

CTorvaneGateManagerApp theApp;

namespace {

IStartupServices* NoStartupServices() {
  static CStartupServicesDefaults none;
  return &none;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

constexpr const char* kJobIdKey = "GATEMANAGER_ID";
constexpr int kHandOverTimeoutMs = 5000;

}  // namespace

CTorvaneGateManagerApp::CTorvaneGateManagerApp() : services_(NoStartupServices()) {}

CTorvaneGateManagerApp::~CTorvaneGateManagerApp() {
  if (!safeFilePath_.empty() && Exists(safeFilePath_)) unlink(safeFilePath_.c_str());
}

void CTorvaneGateManagerApp::SetStartupServices(IStartupServices* services) {
  services_ = services ? services : NoStartupServices();
}

std::string CTorvaneGateManagerApp::GetInstanceChannelPath() const {
  return InstanceChannelPath(programFolder_, programFileName_);
}

CTorvaneGateManagerApp::StartResult CTorvaneGateManagerApp::InitInstance(int argc, const char* const* argv) {
  // Sockets report a closed peer as an error, never by a signal.
  signal(SIGPIPE, SIG_IGN);

  std::string programPath = platform::GetProgramPath();
  programFolder_ = platform::GetProgramFolder();
  programFileName_ = platform::GetProgramFileName();
  commandLine_.ParseCommandLine(argc, argv);

  if (Exists(GetWatchdogFilePath())) WriteSafeFile(programPath);

  std::string lockError;
  platform::SingleInstanceLock::Result lock =
      instanceLock_.Acquire(InstanceLockPath(programFolder_, programFileName_), &lockError);
  if (lock == platform::SingleInstanceLock::Result::kHeldElsewhere) {
    HandOverToFirstInstance();
    return StartResult::kSecondInstance;
  }
  // A lock that cannot be taken at all (read-only folder): run as the first instance.

  StartWatchdog();

  dumper_ = std::make_unique<CMiniDumper>();
  dumper_->SetDumpFolder(platform::ProgramPath("Dump"));
  DeleteOldDumps();

  mkdir(GetSettingsFolderPath().c_str(), 0755);
  services_->LoadHiddenSettings();
  // The log levels come right after the Hidden settings, so that every line
  // start-up logs from here on reaches the log.
  SetProcessLogLevels(services_->GetDebugUseLogFile());
  if (lock == platform::SingleInstanceLock::Result::kFailed) GATE_LOG(1, "ERROR - %s\r\n", lockError.c_str());

  std::string settingsPath = GetAppSettingsFilePath();
  std::string defaultPath = GetAppSettingsDefaultFilePath();
  if (!Exists(settingsPath) && Exists(defaultPath)) {
    int err = 0;
    if (!platform::CopyFileNoReplace(defaultPath, settingsPath, &err)) {
      GATE_LOG(1, "ERROR - Error raised when copy default AppSettings.xml file. The error code is %u\r\n",
               static_cast<unsigned>(err));
    }
  }
  services_->LoadAppSettings(settingsPath);
  LoadLanguage(services_->GetUILanguage());

  GATE_LOG(1, "Start Program -----------------------------------------\r\n");
  loggingStarted_ = 1;

  // New jobs of the option pages are numbered after the highest stored one.
  CIDCreater::GetInstance()->SetCurrentID(kJobIdKey, services_->GetMaxItemID());
  return StartResult::kRunMainWindow;
}

int CTorvaneGateManagerApp::ExitInstance() {
  if (loggingStarted_ == 1) GATE_LOG(1, "Stop Program -----------------------------------------\r\n");
  instanceLock_.Release();
  CIDCreater::DestroyInstance();
  DestroyProcessLogger();
  watchdogReaper_.Stop();
  return 0;
}

void CTorvaneGateManagerApp::WriteSafeFile(const std::string& programPath) {
  // The watchdog reads a remaining safe file as "ended without an orderly exit".
  std::string path = platform::ProgramPath("safe_" + std::to_string(static_cast<unsigned>(getpid())));
  // Only what the destructor may delete: a file that was written.
  if (platform::WriteFileAtomically(path, programPath)) safeFilePath_ = path;
}

void CTorvaneGateManagerApp::HandOverToFirstInstance() {
  if (commandLine_.watchdogValue() != 0) return;  // the watchdog's restart: leave the running one alone
  SendInstanceCommand(GetInstanceChannelPath(), kTrayShowCommand, kHandOverTimeoutMs);
}

void CTorvaneGateManagerApp::StartWatchdog() {
  if (programFileName_.empty()) return;
  std::string watchdog = GetWatchdogFilePath();
  platform::SpawnOptions options;
  options.newSession = true;  // runs on without our terminal, like a hidden window
  pid_t pid = platform::SpawnProcess(watchdog, {watchdog, programFileName_, "-v", "1"}, options);
  if (pid > 0) watchdogReaper_.Watch(pid);  // a missing watchdog is no error
}

void CTorvaneGateManagerApp::LoadLanguage(const std::string& name) { languageTexts_.LoadForSetting(name); }
