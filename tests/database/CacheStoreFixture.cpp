#include "CacheStoreFixture.h"

#include "CacheTestRows.h"
#include "database/MariaAdapter.h"
#include "foundation/Log.h"

void CacheStoreTest::SetUp() {
  DatabaseTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, database_, kCacheTestTables, &error)) << error;
  service_ = std::make_unique<CDBDataStore>();
  service_->Initialize(db_.host.c_str(), static_cast<int>(db_.port), database_.c_str(), db_.user.c_str(),
                       db_.password.c_str());
  ASSERT_TRUE(service_->IsConnected(0));
  store_ = std::make_unique<CDataStore>(service_.get());
}

void CacheStoreTest::TearDown() {
  store_.reset();
  service_.reset();
  DatabaseTest::TearDown();
}

size_t CacheStoreTest::SentCount() {
  auto info = service_->GetConnection(0);
  if (!info) return 0;
  return StatementsOf(static_cast<CMariaAdapter*>(info->GetAdapter())->GetSessionId()).size();
}

void CacheStoreTest::CaptureDefaultLevel(bool on) {
  if (CGenericLogger* logger = GetProcessLogger()) {
    logger->SetLevelFlags(3, on ? (LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FUNCTION) : 0);
  }
}
