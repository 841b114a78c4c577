#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "RowTestSupport.h"
#include "entities/DeviceStatus.h"
#include "entities/StorageStatus.h"
#include "entities/VasDeviceStatus.h"
#include "entities/VasGPUStatus.h"
#include "entities/VasStatus.h"
#include "entities/ZavStatus.h"
#include "foundation/SerializationInfo.h"

namespace {

TEST(LiveStatusRows, StreamErrorCodeOfFailureTexts) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {{"", 0},
               {"connectfailed", 1},
               {"CONNECTFAILED", 1},
               {"Unauthorized", 2},
               {"InvalidStreamAddress", 3},
               {"VIDEOLOSS", 4},
               {"videoloss", 4},
               {" videoloss", -1},
               {"videoloss ", -1},
               {"timeout", -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(StreamErrorCode(c.text), c.code) << "'" << c.text << "'";
    EXPECT_EQ(ParseStreamErrorText(c.text), c.code) << "'" << c.text << "'";
  }
}

TEST(LiveStatusRows, StreamFailureCountsOnlyTheHighAndLowStreams) {
  struct Case {
    int high, low, mobile;
    int failure;
  } cases[] = {{0, 0, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 0}, {1, 1, 0, 0}, {2, 2, 0, 0}};
  for (const Case& c : cases) {
    CLTBLDeviceStatus row;
    row.SetHighStreamConnection(c.high);
    row.SetLowStreamConnection(c.low);
    row.SetMobileStreamConnection(c.mobile);
    EXPECT_EQ(row.HasStreamFailure(), c.failure) << c.high << "/" << c.low << "/" << c.mobile;
  }
}

TEST(LiveStatusRows, OwnerIsTheOwnerColumnNotAlwaysTheKey) {
  struct Case {
    const char* table;
    CKeyValueData row;
    int owner;
  } cases[] = {
      {"LTBL_DeviceStatus", KeyValues({{"deviceid", "11"}}), 11},
      {"LTBL_ZavStatus", KeyValues({{"zavid", "2"}}), 2},
      {"LTBL_StorageStatus", KeyValues({{"storagestatusid", "7"}, {"zavid", "3"}}), 3},
      {"LTBL_VasStatus", KeyValues({{"vasid", "5"}}), 5},
      {"LTBL_VasDeviceStatus", KeyValues({{"vasdeviceid", "9"}}), 9},
      {"LTBL_VasGPUStatus", KeyValues({{"vasgpustatusid", "12"}, {"vasid", "4"}}), 4},
  };
  for (Case& c : cases) {
    std::unique_ptr<CDBEntity> row = NewRow(c.table);
    ASSERT_NE(row, nullptr) << c.table;
    row->LoadFrom(c.row);
    EXPECT_EQ(row->GetInterface("ilogicalstatusentity"), nullptr) << c.table;
    auto* status = static_cast<ILogicalStatusEntity*>(row->GetInterface("ILogicalStatusEntity"));
    ASSERT_NE(status, nullptr) << c.table;
    EXPECT_EQ(status->GetOwnerID(), c.owner) << c.table;
    status->SetOwnerID(c.owner + 100);
    EXPECT_EQ(status->GetOwnerID(), c.owner + 100) << c.table;
    EXPECT_TRUE(row->HasChanges()) << c.table;
  }
}

TEST(LiveStatusRows, LoadingLeavesMissingColumnsAlone) {
  CLTBLDeviceStatus row;
  row.SetPing(30);
  row.ClearChanges();
  LoadValues(row, {{"deviceid", "8"}, {"lastrecorddate", "2024-05-01"}});
  EXPECT_EQ(row.GetDeviceID(), 8);
  EXPECT_EQ(row.GetLastRecordDate(), "2024-05-01");
  EXPECT_EQ(row.GetPing(), 30);
  EXPECT_FALSE(row.HasChanges());
}

TEST(LiveStatusRows, NumbersLoadAtTheirColumnsWidth) {
  CLTBLVasStatus vas;
  LoadValues(vas, {{"totalprocessedfps", "29.97"}, {"totalmemory", "29.97"}});
  EXPECT_DOUBLE_EQ(vas.GetTotalProcessedFps(), 29.97);
  EXPECT_FLOAT_EQ(vas.GetTotalMemory(), 29.97f);
  EXPECT_NE(static_cast<double>(vas.GetTotalMemory()), 29.97);

  CLTBLZavStatus zav;
  LoadValues(zav, {{"totalmemory", "1.5"}, {"usedmemory", ""}, {"totaltraffic", "4294967296"}});
  EXPECT_FLOAT_EQ(zav.GetTotalMemory(), 1.5f);
  EXPECT_FLOAT_EQ(zav.GetUsedMemory(), 0.0f);
  EXPECT_EQ(zav.GetTotalTraffic(), 0u);

  CLTBLStorageStatus storage;
  LoadValues(storage, {{"totalsize", "5000000000"}});
  EXPECT_EQ(storage.GetTotalSize(), 5000000000ull);
}

TEST(LiveStatusRows, ServerNumberLoadsUnderItsNameAndTheOlderOne) {
  struct Case {
    const char* what;
    CKeyValueData row;
    int zavId;
  } cases[] = {
      {"own name", KeyValues({{"zavid", "6"}}), 6},
      {"older name", KeyValues({{"nrsid", "7"}}), 7},
      {"own name wins", KeyValues({{"nrsid", "7"}, {"zavid", "6"}}), 6},
      {"neither: kept", KeyValues({{"version", "1.0"}}), 42},
  };
  for (Case& c : cases) {
    CLTBLZavStatus row;
    row.SetZavID(42);
    row.ClearChanges();
    row.LoadFrom(c.row);
    EXPECT_EQ(row.GetZavID(), c.zavId) << c.what;
    EXPECT_FALSE(row.HasChanges()) << c.what;
  }
}

TEST(LiveStatusRows, PropertiesOutsideTheColumnListAreNeitherListedNorCopied) {
  CLTBLZavStatus zav;
  NotificationRecorder zavNotes(zav);
  zav.SetDiskSmartWarning(1);
  EXPECT_TRUE(zav.IsColumnChanged("DiskSmartWarning"));
  EXPECT_EQ(zavNotes.Columns(), (std::vector<std::string>{"DiskSmartWarning"}));
  EXPECT_EQ(ColumnValueText(zav, "DiskSmartWarning"), "<missing>");
  std::unique_ptr<CDBEntity> clone(zav.Clone());
  EXPECT_EQ(dynamic_cast<CLTBLZavStatus&>(*clone).GetDiskSmartWarning(), 0);
  EXPECT_EQ(CLTBLZavStatus(zav).GetDiskSmartWarning(), 1);

  CLTBLVasStatus vas;
  vas.SetDNN("yolo");
  EXPECT_TRUE(vas.IsColumnChanged("DNN"));
  EXPECT_EQ(ColumnValueText(vas, "DNN"), "<missing>");
  CLTBLVasStatus target;
  vas.CopyTo(&target);
  EXPECT_EQ(target.GetDNN(), "");
  EXPECT_EQ(CLTBLVasStatus(vas).GetDNN(), "yolo");
}

// The status time of one live-status class: assigned without a record or a
// notification, not a column, carried by the copy constructor only.
template <class Row>
void ExpectStatusTimeIsNoColumn() {
  Row row;
  EXPECT_EQ(row.GetStatusTime(), 0);
  NotificationRecorder notes(row);
  row.SetStatusTime(1700000000);
  EXPECT_EQ(row.GetStatusTime(), 1700000000);
  EXPECT_FALSE(row.HasChanges());
  EXPECT_TRUE(notes.Columns().empty());
  for (const CColumnValue& value : row.GetColumnValues()) EXPECT_NE(value.GetValue(), "1700000000") << value.GetName();
  EXPECT_EQ(Row(row).GetStatusTime(), 1700000000);
  Row target;
  row.CopyTo(&target);
  EXPECT_EQ(target.GetStatusTime(), 0);
  std::unique_ptr<CDBEntity> clone(row.Clone());
  EXPECT_EQ(dynamic_cast<Row&>(*clone).GetStatusTime(), 0);
}

TEST(LiveStatusRows, StatusTimeIsAMemberOfEveryLiveStatusRow) {
  ExpectStatusTimeIsNoColumn<CLTBLZavStatus>();
  ExpectStatusTimeIsNoColumn<CLTBLDeviceStatus>();
  ExpectStatusTimeIsNoColumn<CLTBLVasStatus>();
  ExpectStatusTimeIsNoColumn<CLTBLVasGPUStatus>();
  ExpectStatusTimeIsNoColumn<CLTBLVasDeviceStatus>();
  ExpectStatusTimeIsNoColumn<CLTBLStorageStatus>();
}

TEST(LiveStatusRows, OperatingSystemTextIsAssignedNotRecorded) {
  CLTBLZavStatus zav;
  NotificationRecorder notes(zav);
  zav.SetOperatingSystem("Linux 6.1");
  EXPECT_EQ(zav.GetOperatingSystem(), "Linux 6.1");
  EXPECT_FALSE(zav.HasChanges());
  EXPECT_TRUE(notes.Columns().empty());
  EXPECT_EQ(ColumnValueText(zav, "OS"), "<missing>");
  EXPECT_EQ(CLTBLZavStatus(zav).GetOperatingSystem(), "Linux 6.1");
  CLTBLZavStatus target;
  target.SetOperatingSystem("kept");
  zav.CopyTo(&target);
  EXPECT_EQ(target.GetOperatingSystem(), "kept");
}

TEST(LiveStatusRows, StorageEnabledSetterRecordsNothing) {
  CLTBLStorageStatus row;
  NotificationRecorder recorder(row);
  row.SetEnabled(1);
  EXPECT_EQ(row.GetEnabled(), 1);
  EXPECT_FALSE(row.HasChanges());
  row.SetName("disk0");
  EXPECT_TRUE(row.IsColumnChanged("Name"));
  EXPECT_EQ(recorder.Columns(), (std::vector<std::string>{"Name"}));
}

TEST(LiveStatusRows, GpuOwnColumnIdIsNotTheRowKey) {
  CLTBLVasGPUStatus row;
  row.SetGPUID(3);
  row.SetID(17);
  EXPECT_EQ(row.GetGPUID(), 3);
  EXPECT_EQ(row.GetVasGPUStatusID(), 17);
  EXPECT_EQ(ColumnValueText(row, "ID"), "3");
}

TEST(LiveStatusRows, CopyOntoItselfChangesNothing) {
  CLTBLDeviceStatus row;
  row.SetHighStreamCodec("H264");
  row.CopyTo(&row);
  EXPECT_EQ(row.GetHighStreamCodec(), "H264");
  EXPECT_EQ(row.GetChangedColumns(), (std::vector<std::string>{"HighStreamCodec"}));
}

// Two threads copy A into B and B into A over and over while a third writes
// the text columns of A; every copy must finish and leave whole texts.
TEST(LiveStatusRows, CopiesInOppositeDirectionsFinish) {
  CLTBLDeviceStatus a;
  CLTBLDeviceStatus b;
  a.SetHighStreamCodec("H264");
  b.SetHighStreamCodec("H265");
  constexpr int kRounds = 2000;
  std::atomic<bool> start{false};
  auto copier = [&](const CLTBLDeviceStatus& from, CLTBLDeviceStatus& to) {
    while (!start.load()) std::this_thread::yield();
    for (int i = 0; i < kRounds; ++i) from.CopyTo(&to);
  };
  std::thread ab(copier, std::cref(a), std::ref(b));
  std::thread ba(copier, std::cref(b), std::ref(a));
  std::thread writer([&] {
    while (!start.load()) std::this_thread::yield();
    for (int i = 0; i < kRounds; ++i) a.SetHighStreamResolution(i % 2 ? "1920x1080" : "640x480");
  });
  start = true;
  ab.join();
  ba.join();
  writer.join();
  for (const CLTBLDeviceStatus* row : {&a, &b}) {
    std::string codec = row->GetHighStreamCodec();
    EXPECT_TRUE(codec == "H264" || codec == "H265") << codec;
    std::string resolution = row->GetHighStreamResolution();
    EXPECT_TRUE(resolution.empty() || resolution == "1920x1080" || resolution == "640x480") << resolution;
  }
}

TEST(LiveStatusRows, SerialisedFormHoldsNumbersAndNonEmptyTextsOnly) {
  for (const char* table : {"LTBL_DeviceStatus", "LTBL_ZavStatus", "LTBL_StorageStatus", "LTBL_VasStatus",
                            "LTBL_VasDeviceStatus", "LTBL_VasGPUStatus"}) {
    std::unique_ptr<CDBEntity> row = NewRow(table);
    CSerializationInfo node;
    row->Serialize(node);
    EXPECT_EQ(node.GetName(), table);
    size_t numbers = 0;
    for (const CColumnValue& column : row->GetColumnValues()) {
      bool text = IsTextColumnKind(column.GetKind());
      EXPECT_EQ(node.IndexOf(column.GetName()) >= 0, !text) << table << " " << column.GetName();
      if (!text) {
        EXPECT_EQ(node.GetValue(column.GetName()), "0") << table << " " << column.GetName();
        ++numbers;
      }
    }
    EXPECT_EQ(static_cast<size_t>(node.GetValueCount()), numbers) << table;
  }
  CLTBLZavStatus zav;
  zav.SetDiskBadWarning(1);
  zav.SetVersion("5.1");
  CSerializationInfo node;
  zav.Serialize(node);
  EXPECT_LT(node.IndexOf("DiskBadWarning"), 0);
  EXPECT_EQ(node.GetValue("Version"), "5.1");
}

}  // namespace
