#include "database/AdapterFixture.h"

void AdapterTest::SetUp() {
  DatabaseTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  for (const std::string& statement : DbTestTableStatements()) {
    ASSERT_TRUE(raw_.Run(statement)) << raw_.LastError() << "\n" << statement;
  }
  adapter_ = ConnectAdapter();
  ASSERT_TRUE(adapter_->IsConnected());
  adapter_->GetDBSchema();  // read now, so that Sent() shows only a test's own statements
  Mark();
}

void AdapterTest::TearDown() {
  adapter_.reset();
  DatabaseTest::TearDown();
}

std::unique_ptr<CMariaAdapter> AdapterTest::ConnectAdapter() {
  auto adapter = std::make_unique<CMariaAdapter>();
  adapter->Connect(db_.host.c_str(), static_cast<int>(db_.port), database_.c_str(), db_.user.c_str(),
                   db_.password.c_str());
  return adapter;
}

std::vector<std::string> AdapterTest::Sent() {
  unsigned long session = adapter_->GetSessionId();
  if (session != session_) {
    session_ = session;
    seen_ = 0;
  }
  std::vector<std::string> sent = StatementsSince(session_, seen_);
  seen_ += sent.size();
  return sent;
}

void AdapterTest::Mark() { Sent(); }
