// What the NVR and HT NVR synchronizer tests share: the central installation
// database on the test server, a program folder of the test's own whose
// settings point at that database, a manual clock, the fake management
// service recording its requests, and a count of the runs the service under
// test reported. Beside it the server-side views the reliability checks
// need: the general log of one database's sessions, the session running a
// statement, and KILL CONNECTION from a connection of the test's own.
#pragma once

#include <memory>
#include <string>

#include "ManagementPeer.h"
#include "SyncServiceSupport.h"
#include "platform/Clock.h"
#include "shell/LocalAppSettings.h"
#include "support/InstallationDatabaseTest.h"
#include "support/TempDir.h"

class SyncServiceTest : public InstallationDatabaseTest {
 protected:
  explicit SyncServiceTest(std::string prefix) : InstallationDatabaseTest(std::move(prefix)) {}

  void SetUp() override;
  void TearDown() override;

  // Runs `sql` (statements separated by ";") on `database`, or on the central one.
  void SqlOn(const std::string& database, const std::string& sql);
  void Central(const std::string& sql) { SqlOn(name_, sql); }
  // The rows of a central query as "a|b|c" lines.
  std::string CentralRows(const std::string& query) { return QueryRows(db_, name_, query); }

  // Subscribes the run counter to `service`, with a 100 ms look period, and starts it.
  template <typename Service>
  void Launch(Service& service) {
    runs_.count = 0;
    service.SetSchedulePeriodMs(100);
    service.Subscribe("test", &RunCounter::OnMessage, &runs_, nullptr);
    service.Initialize();
    service.Start();
  }
  // Waits (generously) until the service reported `count` runs since Launch.
  bool WaitForRuns(int count);

  // The statements that sessions opened on `database` sent so far, as the
  // server's general log has them (switched on in SetUp).
  std::vector<std::string> StatementsOn(const std::string& database);
  // How many of `statements` start with `prefix` (a statement word, say "START TRANSACTION").
  static size_t CountStarting(const std::vector<std::string>& statements, const std::string& prefix);
  // Waits until a session on `database` runs a statement starting with
  // `prefix` and ends it with KILL CONNECTION
  // from a connection of the test's own. False when none showed up.
  bool KillSessionRunning(const std::string& database, const std::string& prefix);
  // Waits until a session on `database` runs a statement starting with
  // `prefix`. Inside a trigger the server shows the trigger's own statement
  // (a trigger's "DO SLEEP(2)"), not the INSERT that fired it.
  bool WaitForStatement(const std::string& database, const std::string& prefix);

  ManagementPeer peer_;
  TempDir program_;
  CLocalAppSettings settings_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
  RunCounter runs_;

 private:
  // The id of a session on `database` running a statement starting with `prefix`, or "".
  std::string SessionRunning(const std::string& database, const std::string& prefix);
};
