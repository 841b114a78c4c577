// A MariaDB adapter connected to a scratch database that holds the tables of
// the test rows, and the statements it sent as the server logged them.
#pragma once

#include <memory>

#include "database/DatabaseFixture.h"
#include "database/DbTestRows.h"
#include "database/MariaAdapter.h"

class AdapterTest : public DatabaseTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Connects a new adapter to the scratch database (host, port, user, password of the test server).
  std::unique_ptr<CMariaAdapter> ConnectAdapter();
  // The statements of the adapter's current session since the last call of Sent or Mark.
  std::vector<std::string> Sent();
  // Forgets what the adapter sent so far.
  void Mark();

  std::unique_ptr<CMariaAdapter> adapter_;

 private:
  unsigned long session_ = 0;
  size_t seen_ = 0;
};
