// A test fixture with a scratch database made from the creation script of
// every registered row class and the database entity service on it. For the
// suites that link the database layer and the row classes; header only, so
// the support library itself needs neither.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/DBDataStore.h"
#include "entities/base/EntitySchema.h"
#include "support/TestDatabase.h"

// The scratch database and its entity service, for a fixture that derives
// from another fixture. Open ends the test (skip or failure) when there is
// no test database or the database cannot be made: check IsSkipped() and
// HasFatalFailure() after it.
struct ScratchInstallationDatabase {
  void Open(const std::string& prefix) {
    GATE_REQUIRE_DATABASE(db);
    std::string error;
    name = CreateScratchDatabase(db, prefix, &error);
    ASSERT_FALSE(name.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db, name, GetDatabaseCreationScript(), &error)) << error;
    service = std::make_unique<CDBDataStore>();
    service->Initialize(db.host.c_str(), static_cast<int>(db.port), name.c_str(), db.user.c_str(),
                        db.password.c_str());
    ASSERT_TRUE(service->IsConnected(0));
  }
  void Close() {
    service.reset();
    if (!name.empty()) DropScratchDatabase(db, name);
    name.clear();
  }

  TestDatabase db;
  std::string name;
  std::unique_ptr<CDBDataStore> service;
};

class InstallationDatabaseTest : public ::testing::Test {
 protected:
  // `prefix` names the scratch database, so concurrent suites never share one.
  explicit InstallationDatabaseTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    scratch_.Open(prefix_);
    db_ = scratch_.db;
    name_ = scratch_.name;
    service_ = std::move(scratch_.service);
  }
  void TearDown() override {
    service_.reset();
    scratch_.Close();
  }

  TestDatabase db_;
  std::string name_;
  std::unique_ptr<CDBDataStore> service_;

 private:
  std::string prefix_;
  ScratchInstallationDatabase scratch_;
};
