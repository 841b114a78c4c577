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

class InstallationDatabaseTest : public ::testing::Test {
 protected:
  // `prefix` names the scratch database, so concurrent suites never share one.
  explicit InstallationDatabaseTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    GATE_REQUIRE_DATABASE(db_);
    std::string error;
    name_ = CreateScratchDatabase(db_, prefix_, &error);
    ASSERT_FALSE(name_.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db_, name_, GetDatabaseCreationScript(), &error)) << error;
    service_ = std::make_unique<CDBDataStore>();
    service_->Initialize(db_.host.c_str(), static_cast<int>(db_.port), name_.c_str(), db_.user.c_str(),
                         db_.password.c_str());
    ASSERT_TRUE(service_->IsConnected(0));
  }
  void TearDown() override {
    service_.reset();
    if (!name_.empty()) DropScratchDatabase(db_, name_);
  }

  TestDatabase db_;
  std::string name_;
  std::unique_ptr<CDBDataStore> service_;

 private:
  std::string prefix_;
};
