// The entity base: change records, notification, store link, keys and Clone.
#include "entities/base/DBEntity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "TestRows.h"

namespace {

// Collects the notifications a row raises.
struct Recorder {
  std::vector<std::string> calls;  // "<tag>:<column>"
  std::string tag;
};

void Record(CDBEntity*, const char* column, void* context) {
  auto* recorder = static_cast<Recorder*>(context);
  recorder->calls.push_back(recorder->tag + ":" + column);
}

void RecordOther(CDBEntity*, const char* column, void* context) { Record(nullptr, column, context); }

TEST(DBEntitySetters, AnEqualValueChangesNothingAndTellsNobody) {
  CTestStorage row;
  Recorder recorder;
  row.SubscribeCallback(Record, &recorder);
  row.SetZavID(0);
  row.SetStorageName("");
  row.SetRatio(0.0f);
  row.SetLatitude(-0.0);  // numerically equal
  EXPECT_FALSE(row.HasChanges());
  EXPECT_TRUE(recorder.calls.empty());
}

TEST(DBEntitySetters, TheFirstOldValueIsKeptUntilClearChanges) {
  CTestStorage row;
  row.SetZavID(5);
  row.SetZavID(6);
  row.SetZavID(0);  // back to the original value: still changed
  EXPECT_TRUE(row.IsColumnChanged("ZavID"));
  EXPECT_EQ(row.GetOriginalValue("ZavID"), "0");
  EXPECT_EQ(row.GetZavID(), 0);
  EXPECT_EQ(row.GetOriginalValue("zavid"), "");  // asked with the list's exact spelling only
  EXPECT_FALSE(row.IsColumnChanged("zavid"));
  row.ClearChanges();
  EXPECT_FALSE(row.HasChanges());
  row.SetZavID(9);
  EXPECT_EQ(row.GetOriginalValue("ZavID"), "0");  // the value from before the new change
}

TEST(DBEntitySetters, OldValuesAreRecordedInTheTextOfTheirKind) {
  CTestStorage row;
  CKeyValueData values = KeyValues({{"storagename", "old name"},
                                    {"capacity", "4294967295"},
                                    {"usedbytes", "18446744073709551615"},
                                    {"ratio", "0.5"},
                                    {"latitude", "0.1"},
                                    {"isdeleted", "1"}});
  row.LoadFrom(values);
  row.SetStorageName("new");
  row.SetCapacity(1);
  row.SetUsedBytes(1);
  row.SetRatio(1.0f);
  row.SetLatitude(1.0);
  row.SetIsDeleted(0);
  EXPECT_EQ(row.GetOriginalValue("StorageName"), "old name");
  EXPECT_EQ(row.GetOriginalValue("Capacity"), "4294967295");
  EXPECT_EQ(row.GetOriginalValue("UsedBytes"), "18446744073709551615");
  EXPECT_EQ(row.GetOriginalValue("Ratio"), "0.5");
  EXPECT_EQ(row.GetOriginalValue("Latitude"), "0.100000000000000006");
  EXPECT_EQ(row.GetOriginalValue("IsDeleted"), "1");
  EXPECT_EQ(row.GetChangedColumns(),
            (std::vector<std::string>{"Capacity", "IsDeleted", "Latitude", "Ratio", "StorageName", "UsedBytes"}));
}

TEST(DBEntitySetters, NaNCountsAsAChangeOnEverySet) {
  CTestStorage row;
  Recorder recorder;
  row.SubscribeCallback(Record, &recorder);
  row.SetLatitude(NAN);
  row.SetLatitude(NAN);
  row.SetRatio(NAN);
  row.SetRatio(NAN);
  EXPECT_EQ(recorder.calls.size(), 4u);
  EXPECT_EQ(row.GetOriginalValue("Latitude"), "0");
  EXPECT_TRUE(std::isnan(row.GetLatitude()));
}

TEST(DBEntitySetters, ColumnAttributesChangeTheRecordNameOrSkipTheRecord) {
  CTestClient row;
  Recorder recorder;
  row.SubscribeCallback(Record, &recorder);
  row.SetIsOnline(1);
  row.SetName("pc");
  row.SetEnabled(0);  // assigns only
  EXPECT_EQ(row.GetEnabled(), 0);
  EXPECT_EQ(row.GetChangedColumns(), (std::vector<std::string>{"IsOnline", "name"}));
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{":IsOnline", ":name"}));
  row.SetID(77);
  EXPECT_TRUE(row.IsColumnChanged("ClientID"));
}

TEST(DBEntitySubscribers, AreCalledInKeyOrderNotSubscriptionOrder) {
  CTestStorage row;
  std::vector<std::string> order;
  struct Tagged {
    std::vector<std::string>* order;
    std::string tag;
  } b{&order, "b"}, a{&order, "a"}, upper{&order, "B"}, replaced{&order, "replaced"};
  auto log = [](CDBEntity*, const char*, void* context) {
    auto* tagged = static_cast<Tagged*>(context);
    tagged->order->push_back(tagged->tag);
  };
  row.Subscribe("b", log, &replaced);
  row.Subscribe("b", log, &b);  // replaces the entry of the same key
  row.Subscribe("a", log, &a);
  row.Subscribe("B", log, &upper);
  row.SetWebPort(80);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "a", "b"}));  // byte order: upper case first
}

TEST(DBEntitySubscribers, SubscribeCallbackKeepsOneEntryPerHandler) {
  CTestStorage row;
  Recorder first{{}, "first"}, second{{}, "second"}, other{{}, "other"};
  row.SubscribeCallback(Record, &first);
  row.SubscribeCallback(Record, &second);  // the second context replaces the first
  row.SubscribeCallback(RecordOther, &other);
  EXPECT_EQ(row.GetSubscriberCount(), 2u);
  row.SetWebPort(1);
  EXPECT_TRUE(first.calls.empty());
  EXPECT_EQ(second.calls, std::vector<std::string>{"second:web_port"});
  EXPECT_EQ(other.calls, std::vector<std::string>{"other:web_port"});
  row.UnsubscribeCallback(Record);
  row.SetWebPort(2);
  EXPECT_EQ(second.calls.size(), 1u);
  EXPECT_EQ(other.calls.size(), 2u);
  row.Unsubscribe("no such key");
  row.UnsubscribeAll();
  EXPECT_EQ(row.GetSubscriberCount(), 0u);
  row.Subscribe("null", nullptr, nullptr);  // ignored: a null handler is never called
  EXPECT_EQ(row.GetSubscriberCount(), 0u);
}

TEST(DBEntitySubscribers, CallbackKeysUseTheWholeAddress) {
  // Two handlers whose addresses share their low 32 bits keep two keys.
  auto first = reinterpret_cast<PropertyChangedHandler>(uintptr_t{0x100000040});
  auto second = reinterpret_cast<PropertyChangedHandler>(uintptr_t{0x200000040});
  EXPECT_EQ(INotifyPropertyChanged::CallbackKey(first), "NONE_100000040");
  EXPECT_NE(INotifyPropertyChanged::CallbackKey(first), INotifyPropertyChanged::CallbackKey(second));
  EXPECT_EQ(INotifyPropertyChanged::CallbackKey(reinterpret_cast<PropertyChangedHandler>(uintptr_t{0xab})),
            "NONE_ab");
}

struct Unsubscriber {
  CDBEntity* row;
  std::string victim;
  int calls = 0;
};

void UnsubscribeVictim(CDBEntity*, const char*, void* context) {
  auto* self = static_cast<Unsubscriber*>(context);
  ++self->calls;
  self->row->Unsubscribe(self->victim);
  self->row->Unsubscribe("a-self");
}

TEST(DBEntitySubscribers, AHandlerMayUnsubscribeDuringDelivery) {
  CTestStorage row;
  Unsubscriber self{&row, "z-victim"};
  Recorder victim{{}, "victim"};
  row.Subscribe("a-self", UnsubscribeVictim, &self);
  row.Subscribe("z-victim", Record, &victim);
  row.SetWebPort(1);
  EXPECT_EQ(self.calls, 1);
  EXPECT_EQ(victim.calls.size(), 1u);  // still called in the notification under way
  row.SetWebPort(2);
  EXPECT_EQ(self.calls, 1);
  EXPECT_EQ(victim.calls.size(), 1u);
}

TEST(DBEntitySubscribers, AHandlerMayReadAndWriteTheRow) {
  CTestStorage row;
  struct Echo {
    int seen = -1;
  } echo;
  row.Subscribe("echo",
                [](CDBEntity* sender, const char* column, void* context) {
                  auto* storage = static_cast<CTestStorage*>(sender);
                  static_cast<Echo*>(context)->seen = storage->GetWebPort();
                  if (std::string(column) == "web_port") storage->SetMemo("port " + std::to_string(storage->GetWebPort()));
                },
                &echo);
  row.SetWebPort(8080);
  EXPECT_EQ(echo.seen, 8080);
  EXPECT_EQ(row.GetMemo(), "port 8080");
}

struct FakeStore : IEntityOwnerStore {
  int GetStoreId() override { return 42; }
};

TEST(DBEntityStore, SetDataStoreTakesTheStoreNumber) {
  CTestStorage row;
  FakeStore store;
  EXPECT_EQ(row.GetDataStore(), nullptr);
  EXPECT_EQ(row.GetStoreNo(), 0);
  row.SetDataStore(&store);
  EXPECT_EQ(row.GetDataStore(), &store);
  EXPECT_EQ(row.GetStoreNo(), 42);
  row.SetDataStore(nullptr);  // the number stays
  EXPECT_EQ(row.GetStoreNo(), 42);
}

// A row with a store, a subscriber and a recorded change.
class AttachedRow : public ::testing::Test {
 protected:
  void SetUp() override {
    row.SetDataStore(&store);
    row.SubscribeCallback(Record, &recorder);
    row.SetStorageName("nas");
    row.SetUsedBytes(18446744073709551000ull);
  }
  CTestStorage row;
  FakeStore store;
  Recorder recorder;
};

TEST_F(AttachedRow, CloneGivesTheColumnsAndNothingElse) {
  std::unique_ptr<CDBEntity> clone(row.Clone());
  ASSERT_NE(clone, nullptr);
  EXPECT_NE(dynamic_cast<CTestStorage*>(clone.get()), nullptr);
  EXPECT_EQ(clone->GetColumnValues(), row.GetColumnValues());
  EXPECT_FALSE(clone->HasChanges());
  EXPECT_EQ(clone->GetSubscriberCount(), 0u);
  EXPECT_EQ(clone->GetDataStore(), nullptr);
  EXPECT_EQ(clone->GetStoreNo(), 0);
}

TEST_F(AttachedRow, TheCopyConstructorTakesEverythingWithLocksOfItsOwn) {
  CTestStorage copy(row);
  EXPECT_EQ(copy.GetColumnValues(), row.GetColumnValues());
  EXPECT_EQ(copy.GetOriginalValue("StorageName"), "");
  EXPECT_TRUE(copy.IsColumnChanged("StorageName"));
  EXPECT_EQ(copy.GetDataStore(), &store);
  EXPECT_EQ(copy.GetStoreNo(), 42);
  copy.SetWebPort(1);  // the copy tells the same subscribers
  EXPECT_EQ(recorder.calls.size(), 3u);
  EXPECT_FALSE(row.IsColumnChanged("web_port"));
}

TEST(DBEntityCopy, CopyToCopiesValuesOnlyAndOnlyBetweenRowsOfOneTable) {
  CTestStorage source;
  source.SetStorageName("source");
  source.SetZavID(3);
  CTestStorage target;
  target.SetWebPort(1);
  Recorder recorder;
  target.SubscribeCallback(Record, &recorder);
  source.CopyTo(&target);
  EXPECT_EQ(target.GetColumnValues(), source.GetColumnValues());
  EXPECT_EQ(target.GetChangedColumns(), std::vector<std::string>{"web_port"});  // its own record stays
  EXPECT_TRUE(recorder.calls.empty());
  CTestMeta other;
  source.CopyTo(&other);  // another table: nothing happens
  source.CopyTo(nullptr);
  source.CopyTo(&source);
  EXPECT_EQ(other.GetLabel(), "");
  EXPECT_EQ(source.GetStorageName(), "source");
}

TEST(DBEntityInterfaces, GetInterfaceAnswersOnlyTheExactName) {
  CTestStatus status;
  CTestStorage storage;
  EXPECT_EQ(status.GetInterface("ILogicalStatusEntity"), static_cast<ILogicalStatusEntity*>(&status));
  EXPECT_EQ(status.GetInterface("ilogicalstatusentity"), nullptr);
  EXPECT_EQ(status.GetInterface("IEntityTreeNode"), nullptr);
  EXPECT_EQ(storage.GetInterface("ILogicalStatusEntity"), nullptr);
  auto* logical = static_cast<ILogicalStatusEntity*>(status.GetInterface("ILogicalStatusEntity"));
  logical->SetOwnerID(12);
  EXPECT_EQ(status.GetDeviceID(), 12);
  EXPECT_EQ(status.GetID(), 12);
  EXPECT_TRUE(status.IsColumnChanged("DeviceID"));  // recorded like the column's own setter
}

}  // namespace
