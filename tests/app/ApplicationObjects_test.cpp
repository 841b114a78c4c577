// What the application object owns beside start-up: the row classes the
// program links, the shared entity store with the installation's
// PasswordEncrypted flag, and what it hands to the main window.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "app/AppServices.h"
#include "app/TorvaneGateManagerApp.h"
#include "database/IDataStore.h"
#include "database/SettingRows.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/base/RowClassCheck.h"
#include "foundation/Aria.h"
#include "foundation/Digest.h"
#include "net/Sock.h"
#include "services/EventServer.h"
#include "shell/TestGateService.h"
#include "shell/TorvaneGateManagerDlg.h"
#include "support/InstallationDatabaseTest.h"

namespace {

// The program links the application library: its registry holds the tables
// of every row folder, so the row-class check walks them all.
TEST(ApplicationRows, TheProgramRegistersEveryRowClass) {
  std::vector<std::string> names = CDBEntityFactory::GetTableNames();
  for (const char* table : {"tbl_systemsettings", "tbl_camera", "ltbl_devicestatus", "tbl_failoverconnections",
                            "tbl_vas", "ltbl_vasstatus"}) {
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), table)) << table;
    for (const std::string& problem : CheckRowClass(table)) {
      EXPECT_EQ(problem.find("not registered"), std::string::npos) << problem;
    }
  }
  std::set<std::string> checked;
  for (const std::string& problem : CheckRegisteredRowClasses()) checked.insert(problem.substr(0, problem.find(':')));
  for (const std::string& table : checked) {
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), table)) << "the check walks the registry: " << table;
  }
  EXPECT_TRUE(CDBEntityFactory::GetDuplicateRegistrations().empty());
}

TEST(ApplicationServices, TheSevenKindsAreRegisteredInTheFixedOrder) {
  std::vector<int> kinds;
  for (const CGateServiceRegistration& registration : GetRegisteredServices()) {
    kinds.push_back(registration.kind->number);
  }
  EXPECT_EQ(kinds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(ApplicationServices, TheAIEventPublisherIsBuiltOverTheApplicationSettings) {
  CTorvaneGateManagerApp app;
  app.GetAppSettings().SetAutoSave(false);
  app.BuildServices();
  IGateService* publisher = nullptr;
  for (const auto& service : app.GetServices()) {
    if (service->GetKind().number == kAIEventPublisherKind.number) publisher = service.get();
  }
  ASSERT_NE(publisher, nullptr);
  EXPECT_FALSE(publisher->IsConfigured());
  CAIEventPublisherItem job;
  job.SetID(5);
  job.SetTargetUrl("http://10.1.2.3/x");
  CAIEventPublisherItems jobs;
  jobs.SetItems({job});
  ASSERT_TRUE(app.GetAppSettings().Option_SetAIEventPublisherItems(jobs));
  EXPECT_TRUE(publisher->IsConfigured());
}

class SharedDataStoreTest : public InstallationDatabaseTest {
 protected:
  SharedDataStoreTest() : InstallationDatabaseTest("app_shared_store") {}

  void PointSettingsAtTheDatabase(CTorvaneGateManagerApp& app) {
    CLocalAppSettings& settings = app.GetAppSettings();
    settings.SetDatabaseAddress(db_.host);
    settings.SetDatabasePort(static_cast<int>(db_.port));
    settings.SetDatabaseName(name_);
    settings.SetDatabaseLoginID(db_.user);
    settings.SetDatabasePassword(db_.password);
  }
  void AddSystemSetting(const std::string& key, const std::string& value) {
    CTBLSystemSetting setting;
    setting.SetCategory(1);
    setting.SetKey(key);
    setting.SetValue(value);
    ASSERT_TRUE(service_->AddEntity(&setting, 0));
  }
};

TEST_F(SharedDataStoreTest, BuiltOnceForAllThreadsWithThePasswordEncryptedFlag) {
  AddSystemSetting("PasswordEncrypted", "1");
  CTorvaneGateManagerApp app;
  PointSettingsAtTheDatabase(app);
  EXPECT_EQ(app.GetPasswordEncrypted(), 0);
  std::vector<std::shared_ptr<IDataStore>> stores(6);
  std::vector<std::thread> threads;
  for (auto& store : stores) threads.emplace_back([&app, &store] { store = app.GetSharedDataStore(); });
  for (auto& thread : threads) thread.join();
  ASSERT_NE(stores[0], nullptr);
  for (const auto& store : stores) EXPECT_EQ(store, stores[0]) << "every caller gets the same store";
  EXPECT_EQ(app.GetPasswordEncrypted(), 1);
  // The store reads the installation's rows.
  EntityMap settings;
  stores[0]->GetEntityList("TBL_SystemSettings", "", settings);
  EXPECT_EQ(settings.size(), 1u);
}

// The event API's workers make the program's first requests together: the
// shared store is built once, and every login already sees the installation's
// PasswordEncrypted flag (the user's password is stored enciphered).
TEST_F(SharedDataStoreTest, ManyFirstRequestsOfTheEventApiTogetherBuildOneStore) {
  AddSystemSetting("PasswordEncrypted", "1");
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, name_,
                           "INSERT INTO TBL_User (no, id, password, IsDeleted) VALUES (1, 'op', '" +
                               AriaEncryptString("pw") + "', 0)",
                           &error))
      << error;
  CTorvaneGateManagerApp app;
  PointSettingsAtTheDatabase(app);
  std::mutex storesLock;
  std::set<IDataStore*> stores;
  CEventServer server(0, [&] {
    std::shared_ptr<IDataStore> store = app.GetSharedDataStore();
    {
      std::lock_guard<std::mutex> hold(storesLock);
      stores.insert(store.get());
    }
    return CEventServerStore{store, app.GetPasswordEncrypted() != 0};
  });
  server.GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
  ASSERT_TRUE(server.Start());

  constexpr int kClients = 40;
  const std::string request = "GET /va/event_list.cgi?id=op&password=" + Sha256Hex("pw") + " HTTP/1.1\r\n\r\n";
  std::mutex startLock;
  std::condition_variable startWake;
  bool go = false;
  std::atomic<int> answered{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&] {
      SOCKET s = sock::Connect("127.0.0.1", server.GetPort(), 10000);
      {
        std::unique_lock<std::mutex> hold(startLock);
        startWake.wait_for(hold, std::chrono::seconds(60), [&] { return go; });
      }
      sock::SendAll(s, request.data(), static_cast<int>(request.size()), 10000);
      std::string reply;
      char buffer[1024];
      for (int n; (n = sock::Recv(s, buffer, sizeof buffer, 0, 30000)) > 0;) reply.append(buffer, n);
      sock::Close(s);
      if (reply.rfind("HTTP/1.1 200 OK\r\n", 0) == 0) ++answered;
    });
  }
  {
    std::lock_guard<std::mutex> hold(startLock);
    go = true;
  }
  startWake.notify_all();
  for (std::thread& client : clients) client.join();
  server.Shutdown();
  EXPECT_EQ(answered.load(), kClients);
  EXPECT_EQ(stores.size(), 1u);
  EXPECT_EQ(app.GetPasswordEncrypted(), 1);
}

TEST_F(SharedDataStoreTest, WithoutTheSettingTheFlagStaysOff) {
  CTorvaneGateManagerApp app;
  PointSettingsAtTheDatabase(app);
  EXPECT_NE(app.GetSharedDataStore(), nullptr);
  EXPECT_EQ(app.GetPasswordEncrypted(), 0);
}

// The window as the dialog needs it, doing nothing.
class NoView : public IMainDialogView {
 public:
  void SetOptionButtonText(const std::string&) override {}
  void SetStartButtonText(const std::string&) override {}
  void SetStatusText(const std::string&) override {}
  void EnableOptionButton(bool) override {}
  void StartTimer(unsigned, int) override {}
  void StopTimer(unsigned) override {}
  void PostAppStartup() override {}
  void ShowWindowNormal() override {}
  void HideWindow() override {}
  void MinimizeWindow() override {}
  bool IsWindowHidden() const override { return false; }
  void QuitProgram() override {}
  void OpenOptionDialog() override {}
  void AddSystemMenuItem(const std::string&, unsigned) override {}
  void ShowAboutBox(const CAboutBoxTexts&) override {}
  std::string GetWindowTitle() const override { return "TorvaneGateManager"; }
  ITrayHost* GetTrayHost() override { return nullptr; }
  IResizerHost* GetResizerHost() override { return nullptr; }
};

// The event server's calls, as the window makes them.
class CountingEventServer : public IEventServer {
 public:
  void Configure(const CEventServerSettings& settings) override { configured = settings; }
  bool Start() override { return ++starts > 0; }
  void Shutdown() override { ++shutdowns; }
  CEventServerSettings configured;
  int starts = 0;
  int shutdowns = 0;
};

TEST(ApplicationDialog, TheWindowGetsTheEventServerTheHiddenSettingsAndTheAuthCodeHandler) {
  CTorvaneGateManagerApp app;
  auto server = std::make_unique<CountingEventServer>();
  CountingEventServer* serverSeen = server.get();
  app.SetEventServer(std::move(server));
  std::vector<CZavAuthCodeMap> sunk;
  app.SetAuthCodeSink([&sunk](const CZavAuthCodeMap& codes) { sunk.push_back(codes); });

  auto sync = MakeTestGateService(kTestDataSync, nullptr);
  NoView view;
  {
    CTorvaneGateManagerDlg dialog(&view, nullptr, {sync->AsService()});
    app.PrepareMainDialog(dialog);
    dialog.OnInitDialog();
    EXPECT_EQ(serverSeen->starts, 1);
    EXPECT_EQ(serverSeen->configured.pollingStatusType, 1) << "the Hidden default";
    EXPECT_EQ(sync->initializedWith.vaEventDwellTime, 3) << "the Hidden default";

    // The map travels as a pointer in the second value and lives only while published.
    {
      CZavAuthCodeMap codes = {{3, "code-3"}, {8, "code-8"}};
      sync->Publish("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", 0, reinterpret_cast<intptr_t>(&codes), 0);
    }
    ASSERT_EQ(sunk.size(), 1u);
    EXPECT_EQ(sunk[0], (CZavAuthCodeMap{{3, "code-3"}, {8, "code-8"}}));
    EXPECT_EQ(app.GetZavAuthCodes().at(8), "code-8");
    sync->Publish("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", 0, 0, 0);
    EXPECT_EQ(sunk.size(), 1u) << "a message without a map hands nothing";
  }
  EXPECT_EQ(serverSeen->shutdowns, 1);
}

}  // namespace
