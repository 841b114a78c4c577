// A cache store over a database entity service connected to a scratch
// database that holds the tables of the cache test rows.
#pragma once

#include <memory>
#include <string>

#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "database/DatabaseFixture.h"

class CacheStoreTest : public DatabaseTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The statements the service's default connection has sent so far.
  size_t SentCount();
  // Also captures the default log level (the store's load line) into `log`.
  static void CaptureDefaultLevel(bool on);

  std::unique_ptr<CDBDataStore> service_;
  std::unique_ptr<CDataStore> store_;
};
