// A fixture with the real stores: a scratch database made from the creation
// script, the database entity service on it and an entity cache store in
// front of that, so rows can be added through the store and navigated in its
// cache as the services do.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DatabaseRowTest.h"
#include "database/DataStore.h"
#include "database/InstallationSwitches.h"

class StoreTest : public DatabaseRowTest {
 protected:
  void SetUp() override {
    DatabaseRowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store_ = std::make_unique<CDataStore>(service_.get());
  }
  void TearDown() override {
    store_.reset();
    DatabaseRowTest::TearDown();
  }

  // Adds `row` through the store and returns the cached row as `Row`; fails
  // the test when the store refuses it. The table is cached first, as the
  // services' stores have it: adding to a table not yet cached loads it
  // after the insert, which for a keyless table (camera links) puts the new
  // row into the cache twice, once under each hidden row id.
  //
  // The store sees a heap copy of `row`, whose key is then set on `row`:
  // the locks of test objects stay off the stack, where ThreadSanitizer would
  // take a later object at the same address for the same lock (the locks'
  // destruction is invisible to it) and report orders that never happened.
  template <class Row>
  std::shared_ptr<Row> Add(Row& row) {
    store_->HasEntityList(row.GetTableName());
    auto owned = std::make_unique<Row>(row);
    EXPECT_TRUE(store_->AddEntity(owned.get(), 0)) << row.GetTableName();
    row.SetID(owned->GetID());
    auto cached = std::dynamic_pointer_cast<Row>(store_->FindCachedEntity(row.GetTableName(), row.GetID()));
    EXPECT_TRUE(cached) << row.GetTableName() << " " << row.GetID();
    return cached;
  }

  std::unique_ptr<CDataStore> store_;
};

// A cache store that reports itself as the client store, with its password switch.
class ClientLikeStore : public CDataStore, public IInstallationSwitches {
 public:
  using CDataStore::CDataStore;
  std::string GetTypeName() override { return "ClientDataStore"; }
  int IsPasswordEncrypted() override { return encrypted_; }
  void SetPasswordEncrypted(int on) override { encrypted_ = on; }
  int IsPasswordHashed() override { return 0; }
  void SetPasswordHashed(int) override {}
  int GetSupportNewDeviceGroupPermission() override { return deviceGroups_; }
  void SetSupportNewDeviceGroupPermission(int on) { deviceGroups_ = on; }

 private:
  int encrypted_ = 0;
  int deviceGroups_ = 0;
};

