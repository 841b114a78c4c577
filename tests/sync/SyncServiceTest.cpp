#include "SyncServiceTest.h"

#include <sstream>

#include "foundation/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "support/ProgramUnderTest.h"

void SyncServiceTest::SetUp() {
  InstallationDatabaseTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(peer_.Start());
  platform::SetProgramFolderOverride(program_.path());
  CreateDirectoryPath(program_.Join("Settings"));
  settings_.Load(GetAppSettingsFilePath());
  settings_.SetDatabaseAddress(db_.host);
  settings_.SetDatabasePort(static_cast<int>(db_.port));
  settings_.SetDatabaseName(name_);
  settings_.SetDatabaseLoginID(db_.user);
  settings_.SetDatabasePassword(db_.password);
  clock_->SetNowMicros(int64_t{1709622489} * 1000000);
  const std::string on = QueryRows(db_, name_, "SET GLOBAL general_log = 1");
  ASSERT_EQ("", on);
}

void SyncServiceTest::TearDown() {
  platform::SetProgramFolderOverride("");
  InstallationDatabaseTest::TearDown();
}

void SyncServiceTest::SqlOn(const std::string& database, const std::string& sql) {
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, database, sql, &error)) << error;
}

bool SyncServiceTest::WaitForRuns(int count) {
  return WaitUntil([&] { return runs_.Count() >= count; }, 120000);
}

std::vector<std::string> SyncServiceTest::StatementsOn(const std::string& database) {
  // Sessions are found by their connect line ("user@host on <database> using ...");
  // scratch database names are unique, so other suites' sessions stay out.
  const std::string rows = QueryRows(
      db_, name_,
      "SELECT argument FROM mysql.general_log WHERE command_type = 'Query' AND thread_id IN (SELECT thread_id FROM "
      "mysql.general_log WHERE command_type = 'Connect' AND argument LIKE '% on " + database + " %')");
  std::vector<std::string> statements;
  std::istringstream text(rows);
  for (std::string line; std::getline(text, line);) statements.push_back(line);
  return statements;
}

size_t SyncServiceTest::CountStarting(const std::vector<std::string>& statements, const std::string& prefix) {
  size_t count = 0;
  for (const std::string& statement : statements) {
    if (statement.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

std::string SyncServiceTest::SessionRunning(const std::string& database, const std::string& prefix) {
  std::string id = QueryRows(db_, name_,
                             "SELECT ID FROM information_schema.PROCESSLIST WHERE DB = '" + database +
                                 "' AND LEFT(INFO, " + std::to_string(prefix.size()) + ") = '" + prefix + "' LIMIT 1");
  if (id.rfind("<query failed>", 0) == 0) return "";
  while (!id.empty() && id.back() == '\n') id.pop_back();
  return id;
}

bool SyncServiceTest::WaitForStatement(const std::string& database, const std::string& prefix) {
  return WaitUntil([&] { return !SessionRunning(database, prefix).empty(); }, 120000);
}

bool SyncServiceTest::KillSessionRunning(const std::string& database, const std::string& prefix) {
  std::string id;
  if (!WaitUntil([&] { return !(id = SessionRunning(database, prefix)).empty(); }, 120000)) return false;
  return QueryRows(db_, name_, "KILL CONNECTION " + id).empty();
}
