// The sync entities' JSON form and the snapshot file: what a target receives
// and what a later run compares against.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>

#include "support/TempDir.h"
#include "sync/SyncDevice.h"
#include "sync/SyncEntityFactory.h"
#include "sync/SyncIntelligentEvent.h"
#include "sync/SyncSnapshot.h"

namespace {

std::shared_ptr<CSyncDevice> MakeDevice(int key, const std::string& name) {
  auto device = std::make_shared<CSyncDevice>();
  device->SetEntityKey(key);
  device->SetEnable(true);
  device->SetName(name);
  device->SetType("Box");
  device->SetVendor("V");
  device->SetModel("M");
  device->SetAddress("10.0.0.9");
  device->SetPort(80);
  device->SetZavID(2);
  device->SetZavAddress("10.0.0.5");
  device->SetZavChannel(2);
  device->SetRTSP_URL_H("rtsp://10.0.0.5:554/2/stream1");
  device->SetRTSP_URL_L("rtsp://10.0.0.5:554/2/stream2");
  device->SetSiteCode("S1");
  device->SetManagementCode("");
  return device;
}

TEST(SyncEntityTest, DeviceIsWrittenAsOneObjectOfQuotedMembersInFieldOrder) {
  SyncEntityMap changes;
  changes[7] = MakeDevice(7, "Gate \"A\"");
  changes[7]->SetMethodKind(CSyncEntity::kMethodAdd);
  auto event = std::make_shared<CSyncIntelligentEvent>();
  EXPECT_EQ(
      "[{\"Key\":\"7\", \"Enable\":\"1\", \"Name\":\"Gate \\\"A\\\"\", \"Type\":\"Box\", \"Vendor\":\"V\", "
      "\"Model\":\"M\", \"Address\":\"10.0.0.9\", \"Port\":\"80\", \"ZavID\":\"2\", \"ZavAddress\":\"10.0.0.5\", "
      "\"ZavChannel\":\"2\", \"RTSP_URL_H\":\"rtsp:\\/\\/10.0.0.5:554\\/2\\/stream1\", "
      "\"RTSP_URL_L\":\"rtsp:\\/\\/10.0.0.5:554\\/2\\/stream2\", \"SiteCode\":\"S1\", \"ManagementCode\":\"\", "
      "\"Method\":\"Add\"}]",
      SerializeSyncEntities(changes));

  SyncEntityMap events;
  auto first = std::make_shared<CSyncIntelligentEvent>();
  first->SetEntityKey(3);
  first->SetName("Loitering");
  first->SetMethodKind(CSyncEntity::kMethodDelete);
  events[3] = first;
  auto second = std::make_shared<CSyncIntelligentEvent>();
  second->SetEntityKey(4);
  second->SetName("Intrusion");
  events[4] = second;
  EXPECT_EQ(
      "[{\"Key\":\"3\", \"Name\":\"Loitering\", \"Method\":\"Delete\"}, "
      "{\"Key\":\"4\", \"Name\":\"Intrusion\", \"Method\":\"\"}]",
      SerializeSyncEntities(events));
  EXPECT_EQ("[]", SerializeSyncEntities({}));
}

TEST(SyncEntityTest, MethodKindsAndFactoryNames) {
  struct Case {
    const char* method;
    int kind;
  } cases[] = {{"Add", 1}, {"ADD", 1}, {"update", 2}, {"Delete", 3}, {"", 0}, {"Remove", 0}};
  for (const Case& c : cases) {
    CSyncIntelligentEvent event;
    event.SetMethod(c.method);
    EXPECT_EQ(c.kind, event.GetMethodKind()) << c.method;
  }
  CSyncIntelligentEvent event;
  event.SetMethodKind(CSyncEntity::kMethodUpdate);
  for (int kind : {0, 4, -1}) {
    event.SetMethodKind(kind);
    EXPECT_EQ("Update", event.GetMethod()) << kind;
  }
  EXPECT_NE(nullptr, std::dynamic_pointer_cast<CSyncDevice>(CSyncEntityFactory::CreateEntity("device")));
  EXPECT_NE(nullptr,
            std::dynamic_pointer_cast<CSyncIntelligentEvent>(CSyncEntityFactory::CreateEntity("IntelligentEvent")));
  EXPECT_EQ(nullptr, CSyncEntityFactory::CreateEntity(""));
  EXPECT_EQ(nullptr, CSyncEntityFactory::CreateEntity("Camera"));
}

TEST(SyncEntityTest, CloneKeepsEveryFieldAndEqualityComparesThem) {
  auto device = MakeDevice(7, "Gate");
  device->SetMethodKind(CSyncEntity::kMethodDelete);
  SyncEntityPtr copy = device->Clone();
  ASSERT_NE(nullptr, std::dynamic_pointer_cast<CSyncDevice>(copy));
  EXPECT_TRUE(copy->IsEqual(*device));
  EXPECT_EQ("Delete", copy->GetMethod());
  std::dynamic_pointer_cast<CSyncDevice>(copy)->SetManagementCode("m");
  EXPECT_FALSE(copy->IsEqual(*device));
  CSyncIntelligentEvent other;
  EXPECT_FALSE(device->IsEqual(other));
}

class SnapshotFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.Join("DataSync_h_Device_Data_1.dat"); }
  TempDir dir_;
};

TEST_F(SnapshotFileTest, SavedSnapshotLoadsBackEqualAndEmptyOneIsAnEmptyArray) {
  SyncEntityMap saved;
  saved[3] = MakeDevice(3, "Lobby");
  saved[9] = MakeDevice(9, "Gate");
  ASSERT_TRUE(SaveSyncSnapshot(Path(), saved));
  SyncEntityMap loaded;
  ASSERT_TRUE(LoadSyncSnapshot(Path(), "Device", &loaded));
  ASSERT_EQ(2u, loaded.size());
  EXPECT_TRUE(loaded[3]->IsEqual(*saved[3]));
  EXPECT_TRUE(loaded[9]->IsEqual(*saved[9]));

  ASSERT_TRUE(SaveSyncSnapshot(Path(), {}));
  EXPECT_EQ("[]", ReadTestFile(Path()));
  ASSERT_TRUE(LoadSyncSnapshot(Path(), "Device", &loaded));
  EXPECT_TRUE(loaded.empty());
}

TEST_F(SnapshotFileTest, LoaderCases) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::optional<std::string> text;  // none: no file
    bool ok;
    size_t count;
  } cases[] = {
      {"missing file is an empty snapshot", std::nullopt, true, 0},
      {"empty array", "[]", true, 0},
      {"the later of two equal keys wins", "[{\"key\":\"5\",\"name\":\"a\"},{\"key\":\"5\",\"name\":\"b\"}]", true, 1},
      {"text ends at a zero byte", "[{\"key\":\"5\",\"name\":\"a\"}]\0garbage"s, true, 1},
      {"empty file", "", false, 0},
      {"torn array", "[{\"key\":\"5\",\"na", false, 0},
      {"object root", "{\"key\":\"5\"}", false, 0},
      {"scalar root", "\"x\"", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unlink(Path().c_str());
    if (c.text) ASSERT_TRUE(WriteTestFile(Path(), *c.text));
    SyncEntityMap map;
    map[42] = MakeDevice(42, "kept on failure");
    EXPECT_EQ(c.ok, LoadSyncSnapshot(Path(), "Device", &map));
    if (c.ok) {
      EXPECT_EQ(c.count, map.size());
    } else {
      ASSERT_EQ(1u, map.size());
      EXPECT_EQ(1u, map.count(42));
    }
  }
  SyncEntityMap map;
  ASSERT_TRUE(WriteTestFile(Path(), "[{\"key\":\"5\",\"name\":\"a\"},{\"key\":\"5\",\"name\":\"b\"}]"));
  ASSERT_TRUE(LoadSyncSnapshot(Path(), "Device", &map));
  EXPECT_EQ("b", std::dynamic_pointer_cast<CSyncDevice>(map[5])->GetName());
}

TEST_F(SnapshotFileTest, EntryWithoutChannelLoadsChannelZero) {
  ASSERT_TRUE(WriteTestFile(Path(), "[{\"key\":\"5\",\"nrsid\":\"3\",\"enable\":\"true\"}]"));
  SyncEntityMap map;
  ASSERT_TRUE(LoadSyncSnapshot(Path(), "Device", &map));
  auto device = std::dynamic_pointer_cast<CSyncDevice>(map[5]);
  ASSERT_NE(nullptr, device);
  EXPECT_EQ(0, device->GetZavChannel());
  EXPECT_EQ(3, device->GetZavID());
  EXPECT_FALSE(device->GetEnable());
}

TEST_F(SnapshotFileTest, FailedSaveKeepsTheOldSnapshot) {
  SyncEntityMap saved;
  saved[3] = MakeDevice(3, "Lobby");
  ASSERT_TRUE(SaveSyncSnapshot(Path(), saved));
  const std::string before = ReadTestFile(Path());
  for (int key = 4; key < 40; ++key) saved[key] = MakeDevice(key, "Gate");
  // A file-size limit below the new text makes the write fail part way, as a
  // full disk does (the limit binds root as well).
  struct rlimit old;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = before.size() * 3;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  bool written = SaveSyncSnapshot(Path(), saved);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(before, ReadTestFile(Path()));
  SyncEntityMap loaded;
  EXPECT_TRUE(LoadSyncSnapshot(Path(), "Device", &loaded));
  EXPECT_EQ(1u, loaded.size());
}

}  // namespace
