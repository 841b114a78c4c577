// The failover look-ups answer null when the cached row under the table they
// read is of another class. Such a row reaches the cache when another class is
// registered under the table name: here a row of the table's column-list base,
// which has every column and the key but none of the final class's logic.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "StoreTest.h"
#include "entities/Camera.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/operations/Failover.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/FailoverHistory.h"

namespace {

class CHistoryLookalike : public CTBLFailoverHistoryBase {};
class CFailoverLookalike : public CTBLFailoverBase {};
class CCameraLookalike : public CTBLCameraBase {};

// Registers `Lookalike` under the table of `Own` while it lives, then `Own` again.
template <class Lookalike, class Own>
class LookalikeRegistration {
 public:
  LookalikeRegistration() {
    CDBEntityFactory::Register(Own::kTableName, [] { return static_cast<CDBEntity*>(new Lookalike()); },
                               &Lookalike::Descriptor);
  }
  ~LookalikeRegistration() {
    CDBEntityFactory::Register(Own::kTableName, [] { return static_cast<CDBEntity*>(new Own()); }, &Own::Descriptor);
  }
  LookalikeRegistration(const LookalikeRegistration&) = delete;
  LookalikeRegistration& operator=(const LookalikeRegistration&) = delete;
};

template <class Lookalike, class Own>
std::shared_ptr<void> Mislabel() {
  return std::make_shared<LookalikeRegistration<Lookalike, Own>>();
}

class FailoverWrongClassTest : public StoreTest {};

TEST_F(FailoverWrongClassTest, LookupsGiveNullForARowOfAnotherClass) {
  CTBLCamera cameraRow;
  auto camera = Add(cameraRow);
  CTBLFailoverHistory historyRow;
  historyRow.SetZavID(2);
  auto history = Add(historyRow);
  ASSERT_TRUE(camera && history);
  CTBLFailover failoverRow;
  failoverRow.SetFailoverHistoryID(history->GetID());
  CTBLFailoverConnection connectionRow;
  connectionRow.SetFailoverHistoryID(history->GetID());
  connectionRow.SetDeviceID(camera->GetID());
  ASSERT_TRUE(Add(failoverRow));
  auto connection = Add(connectionRow);
  ASSERT_TRUE(connection);
  int connectionId = connection->GetID();
  int historyId = history->GetID();

  struct Case {
    const char* name;
    std::function<std::shared_ptr<void>()> mislabel;  // registers a lookalike under the table read
    std::function<bool(CDataStore&)> finds;           // the look-up, on a store that reads afresh
  } cases[] = {
      {"a connection's history", &Mislabel<CHistoryLookalike, CTBLFailoverHistory>,
       [&](CDataStore& store) {
         auto row = std::dynamic_pointer_cast<CTBLFailoverConnection>(
             store.FindCachedEntity(CTBLFailoverConnection::kTableName, connectionId));
         return row && row->GetFailoverHistory() != nullptr;
       }},
      {"a connection's camera", &Mislabel<CCameraLookalike, CTBLCamera>,
       [&](CDataStore& store) {
         auto row = std::dynamic_pointer_cast<CTBLFailoverConnection>(
             store.FindCachedEntity(CTBLFailoverConnection::kTableName, connectionId));
         return row && row->GetCamera() != nullptr;
       }},
      {"a history's failover", &Mislabel<CFailoverLookalike, CTBLFailover>,
       [&](CDataStore& store) {
         auto row = std::dynamic_pointer_cast<CTBLFailoverHistory>(
             store.FindCachedEntity(CTBLFailoverHistory::kTableName, historyId));
         return row && row->GetFailover() != nullptr;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Stores on the heap: ThreadSanitizer would take a later lock at the same stack address for the same lock.
    auto own = std::make_unique<CDataStore>(service_.get());
    EXPECT_TRUE(c.finds(*own)) << "found with the table's own class";
    own.reset();
    auto registration = c.mislabel();
    auto mislabelled = std::make_unique<CDataStore>(service_.get());
    EXPECT_FALSE(c.finds(*mislabelled));
    mislabelled.reset();
  }
}

}  // namespace
