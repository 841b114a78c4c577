#include "app/TorvaneGateManagerApp.h"

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdio.h>
#include <string.h>

#include "app/AppServices.h"
#include "app/DisplayProbe.h"
#include "biot/BIoTEventPublisher.h"
#include "services/AIEventPublisher.h"
#include "services/EventServer.h"
#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "foundation/IDCreater.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "database/ISettingManager.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/HiddenSettings.h"
#include "shell/InstanceChannel.h"
#include "shell/MiniDumper.h"
#include "shell/TorvaneGateManagerDlg.h"

CTorvaneGateManagerApp theApp;

std::shared_ptr<IDataStore> GetSharedDataStore() { return theApp.GetSharedDataStore(); }

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

constexpr const char* kJobIdKey = "GATEMANAGER_ID";
constexpr int kHandOverTimeoutMs = 5000;

}  // namespace

CTorvaneGateManagerApp::CTorvaneGateManagerApp() : services_(&settings_) {}

CTorvaneGateManagerApp::~CTorvaneGateManagerApp() {
  ReleaseAppLanguageTexts(&languageTexts_);
  if (!safeFilePath_.empty() && Exists(safeFilePath_)) unlink(safeFilePath_.c_str());
}

void CTorvaneGateManagerApp::SetStartupServices(IStartupServices* services) {
  services_ = services ? services : &settings_;
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

  // Only a watchdog that can run gets a safe file: it is the one that reads it.
  if (access(GetWatchdogFilePath().c_str(), X_OK) == 0) WriteSafeFile(programPath);

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
  if (!watchdogError_.empty()) GATE_LOG(1, "ERROR - %s\r\n", watchdogError_.c_str());

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
  ReportStartupProblems();

  GATE_LOG(1, "Start Program -----------------------------------------\r\n");
  loggingStarted_ = 1;

  // New jobs of the option pages are numbered after the highest stored one.
  CIDCreater::GetInstance()->SetCurrentID(kJobIdKey, services_->GetMaxItemID());
  return StartResult::kRunMainWindow;
}

int CTorvaneGateManagerApp::ExitInstance() {
  // The window has gone: what it used goes before the log does, and the
  // settings are written while a failure can still be logged.
  gateServices_.clear();
  eventServer_.reset();
  sharedStore_.reset();
  sharedDBStore_.reset();
  if (loggingStarted_ == 1) SaveSettings();
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
  std::string error;
  pid_t pid = platform::SpawnProcess(watchdog, {watchdog, programFileName_, "-v", "1"}, options, &error);
  if (pid > 0) {
    watchdogReaper_.Watch(pid);
  } else if (Exists(watchdog)) {
    // A missing watchdog is no error; one that is there and does not start
    // is (logged once the log is up).
    watchdogError_ = StrFormat("The watchdog '%s' cannot be started: %s", watchdog.c_str(), error.c_str());
  }
}

void CTorvaneGateManagerApp::ReportStartupProblems() {
  // Without language texts the window's captions are blank: say where they were looked for.
  if (languageTexts_.GetTextCount(CMultiLang::kMainTable) == 0 &&
      languageTexts_.GetTextCount(CMultiLang::kFallbackTable) == 0) {
    std::string folder = GetLanguageFolderPath();
    std::string english = CMultiLang::GetLanguageFilePath(folder, "TorvaneGateManager", kLanguageEnglish);
    GATE_LOG(1, "ERROR - No language file could be read in '%s' (not even '%s'); the window shows no captions.\r\n",
             folder.c_str(), english.c_str());
    fprintf(stderr, "TorvaneGateManager: no language file could be read in '%s'; the window shows no captions.\n",
            folder.c_str());
  }
}

void CTorvaneGateManagerApp::SaveSettings() {
  std::string path;
  if (services_->SaveAppSettings(&path)) return;
  GATE_LOG(1, "ERROR - The application settings cannot be written to '%s'; changes made while running are lost.\r\n",
           path.c_str());
  fprintf(stderr, "TorvaneGateManager: the application settings cannot be written to '%s'.\n", path.c_str());
}

bool CTorvaneGateManagerApp::MustRunHeadless() {
  constexpr int kDisplayTimeoutMs = 3000;
  std::string why = WhyRunHeadless(getenv("QT_QPA_PLATFORM"), getenv("WAYLAND_DISPLAY"), getenv("DISPLAY"),
                                   kDisplayTimeoutMs);
  if (why.empty()) return false;
  GATE_LOG(1, "INFO - %s; the window runs headless (reach it through the tray's commands or a second start).\r\n",
           why.c_str());
  fprintf(stderr, "TorvaneGateManager: %s; running headless.\n", why.c_str());
  return true;
}

void CTorvaneGateManagerApp::PrepareMainDialog(CTorvaneGateManagerDlg& dialog) {
  dialog.SetHideFlag(commandLine_.hide());
  dialog.SetStartFlag(commandLine_.start());
  dialog.SetLanguageCode(GetLanguageCode());
  const CXmlCfg& hidden = settings_.GetHiddenSettings();
  CGateServiceHiddenSettings serviceSettings;
  serviceSettings.bIoTEnabled = Hidden_IsBIoTEnabled(hidden);
  serviceSettings.bIoTSiteID = Hidden_GetBIoTSiteID(hidden);
  serviceSettings.bIoTEventInterval = Hidden_GetBIoTEventInterval(hidden);
  serviceSettings.vaEventDwellTime = Hidden_GetVAEventDwellTime(hidden);
  dialog.SetServiceHiddenSettings(serviceSettings);
  if (eventServer_ == nullptr) {
    // The API's logins and pages read the shared store; event_status reads
    // the AI event publisher's maps.
    auto server = std::make_unique<CEventServer>(
        static_cast<unsigned short>(Hidden_GetEventServerHttpPort(hidden)), [this] {
          std::shared_ptr<IDataStore> store = GetSharedDataStore();
          return CEventServerStore{store, GetPasswordEncrypted() != 0};
        });
    for (const auto& service : gateServices_) {
      if (auto publisher = std::dynamic_pointer_cast<CAIEventPublisher>(service)) server->SetAIEventPublisher(publisher);
    }
    eventServer_ = std::move(server);
  }
  CEventServerSettings serverSettings;
  serverSettings.cameraPrefix = Hidden_GetVAEventPollingCameraPrefix(hidden);
  serverSettings.eventPrefix = Hidden_GetVAEventPollingEventPrefix(hidden);
  serverSettings.pollingStatusType = Hidden_GetVAEventPollingStatusType(hidden);
  dialog.SetEventServer(eventServer_.get(), serverSettings);
  // The data synchronizer publishes the map of recording-server ID to auth
  // code as a pointer in the message's second value (value2), and the map
  // lives only while it publishes: the handler copies it.
  dialog.SetAuthCodeMapHandler([this](intptr_t value) {
    if (value != 0) HandAuthCodes(*reinterpret_cast<const CZavAuthCodeMap*>(value));
  });
}

void CTorvaneGateManagerApp::SetAuthCodeSink(std::function<void(const CZavAuthCodeMap&)> sink) {
  CMutexLock hold(authCodeLock_);
  authCodeSink_ = std::move(sink);
}

CZavAuthCodeMap CTorvaneGateManagerApp::GetZavAuthCodes() {
  CMutexLock hold(authCodeLock_);
  return zavAuthCodes_;
}

void CTorvaneGateManagerApp::HandAuthCodes(const CZavAuthCodeMap& codes) {
  std::function<void(const CZavAuthCodeMap&)> sink;
  {
    CMutexLock hold(authCodeLock_);
    zavAuthCodes_ = codes;
    sink = authCodeSink_;
  }
  // The building-IoT notifiers of every AI event publisher job read them from here.
  CBIoTEventPublisher::SetZavAuthCodeMap(codes);
  if (sink) sink(codes);
}

void CTorvaneGateManagerApp::BuildServices() {
  if (servicesBuilt_) return;
  servicesBuilt_ = true;
  gateServices_ = BuildRegisteredServices(*this);
}

std::shared_ptr<IDataStore> CTorvaneGateManagerApp::GetSharedDataStore() {
  std::call_once(sharedStoreOnce_, [this] {
    CLocalAppSettings& settings = settings_.GetAppSettings();
    auto dbStore = std::make_unique<CDBDataStore>("");
    dbStore->SetAdapterType("MARIADB");
    dbStore->Initialize(settings.GetDatabaseAddress().c_str(), settings.GetDatabasePort(),
                        settings.GetDatabaseName().c_str(), settings.GetDatabaseLoginID().c_str(),
                        settings.GetDatabasePassword().c_str());
    sharedStore_ = std::make_shared<CDataStore>(dbStore.get());
    passwordEncrypted_.store(CEventServer::ReadPasswordEncrypted(dbStore.get()));
    sharedDBStore_ = std::move(dbStore);
  });
  return sharedStore_;
}

void CTorvaneGateManagerApp::LoadLanguage(const std::string& name) {
  languageTexts_.LoadForSetting(name);
  SetAppLanguageTexts(&languageTexts_);  // GetLangText answers from these texts from now on
}
