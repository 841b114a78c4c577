// What the status handlers' messages do to the server status publisher's
// live rows: CZavLiveStatus and CVasLiveStatus over an in-memory store that
// holds the servers, cameras, devices and live-status rows as the live store
// holds them after its loads.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/VasStatusStream.h"
#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/DeviceStatus.h"
#include "entities/FaultState.h"
#include "entities/NRS.h"
#include "entities/VasDeviceStatus.h"
#include "entities/VasGPUStatus.h"
#include "entities/VasStatus.h"
#include "entities/ZavStatus.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "entities/operations/Failover.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/FailoverHistory.h"
#include "foundation/IDCreater.h"
#include "foundation/ProcessLogCapture.h"
#include "platform/Clock.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavSysteminformation.h"
#include "services/ServiceLog.h"
#include "services/VasLiveStatus.h"
#include "services/ZavLiveStatus.h"
#include "support/InstallationDatabaseTest.h"

namespace {

constexpr int64_t kLiveNow = 1700000000;

// A message as the handlers publish it: value 1 points to `pair` {store, server}.
IMessagePublisher::_message_t Message(const std::string& name, int32_t* pair, const void* payload = nullptr,
                                      const void* extra = nullptr) {
  IMessagePublisher::_message_t message;
  message.message = name;
  message.value1 = reinterpret_cast<intptr_t>(pair);
  message.value2 = reinterpret_cast<intptr_t>(payload);
  message.value3 = reinterpret_cast<intptr_t>(extra);
  return message;
}

// The clock that stamps the fault times, set by the test.
class FaultClockHold {
 public:
  FaultClockHold() { CFaultState::SetClock(&clock_); }
  ~FaultClockHold() { CFaultState::SetClock(nullptr); }
  void Set(int64_t seconds) { clock_.SetNowMicros(seconds * 1000000); }

 private:
  platform::ManualClock clock_{kLiveNow * 1000000};
};

// Adds `row` to `store` with its own key; the cached row.
template <class Row>
std::shared_ptr<Row> AddRow(IDataStore& store, const char* table, std::unique_ptr<Row> row) {
  EXPECT_TRUE(store.AddEntity(row.get(), 0)) << table;
  return std::dynamic_pointer_cast<Row>(store.FindCachedEntity(table, row->GetID()));
}

// An in-memory store, as the live store holds the rows after its loads.
class LiveRowsTest : public ::testing::Test {
 protected:
  template <class Row>
  std::shared_ptr<Row> Add(const char* table, std::unique_ptr<Row> row) {
    return AddRow(store_, table, std::move(row));
  }
  IMessagePublisher::_message_t Message(const std::string& name, int serverId, const void* payload = nullptr,
                                        const void* extra = nullptr) {
    pair_[0] = store_.GetStoreId();
    pair_[1] = serverId;
    return ::Message(name, pair_, payload, extra);
  }
  void SetFaultClock(int64_t seconds) { faultClock_.Set(seconds); }

  FaultClockHold faultClock_;
  CDataStore store_{nullptr};
  CServiceLog log_{"ServerStatusPublisher", "CServerStatusPublisher"};
  int32_t pair_[2] = {0, 0};
};

// ---- recording servers ----

class ZavLiveStatusTest : public LiveRowsTest {
 protected:
  void SetUp() override {
    LiveRowsTest::SetUp();
    server_ = AddServer(4, true);
    ASSERT_TRUE(server_);
  }
  std::shared_ptr<CTBLNRS> AddServer(int no, bool withStatus) {
    auto row = std::make_unique<CTBLNRS>();
    row->SetNo(no);
    row->SetName("nrs" + std::to_string(no));
    auto server = Add("TBL_Zav", std::move(row));
    if (withStatus) {
      auto status = std::make_unique<CLTBLZavStatus>();
      status->SetZavID(no);
      Add("LTBL_ZavStatus", std::move(status));
    }
    return server;
  }
  std::shared_ptr<CTBLCamera> AddCamera(int no, int zavNo, int channel, bool withStatus = true) {
    auto row = std::make_unique<CTBLCamera>();
    row->SetNo(no);
    row->SetName("camera" + std::to_string(no));
    row->SetZavNo(zavNo);
    row->SetZavChannel(channel);
    auto camera = Add("TBL_Camera", std::move(row));
    if (withStatus) {
      auto status = std::make_unique<CLTBLDeviceStatus>();
      status->SetDeviceID(no);
      Add("LTBL_DeviceStatus", std::move(status));
    }
    return camera;
  }
  std::shared_ptr<CLTBLDeviceStatus> CameraRow(int no) {
    return std::dynamic_pointer_cast<CLTBLDeviceStatus>(store_.FindCachedEntity("LTBL_DeviceStatus", no));
  }
  void Send(const std::string& name, const std::shared_ptr<CTBLNRS>& server, const CZavEventStream* stream = nullptr,
            const CZavSysteminformation* info = nullptr) {
    CZavLiveStatus::OnMessage(store_, server, kLiveNow, Message(name, server ? server->GetNo() : 99, stream, info), log_);
  }
  static CZavChannelStatus Channel(int high, int low, const std::string& highFailure = "") {
    CZavChannelStatus channel;
    channel.SetHighStreamConnection(high);
    channel.SetLowStreamConnection(low);
    channel.SetHighStreamFailureInformation(highFailure);
    return channel;
  }

  std::shared_ptr<CTBLNRS> server_;
};

// The column texts of a row by column name.
std::map<std::string, std::string> Columns(const CDBEntity& row) {
  std::map<std::string, std::string> columns;
  for (const CColumnValue& value : row.GetColumnValues()) columns[value.GetName()] = value.GetValue();
  return columns;
}

TEST_F(ZavLiveStatusTest, AFaultKeepsTheTimeOfItsFirstFailureAndConnectingClearsOnlyTheFlag) {
  Send("MSG_CONNECT_FAILED", server_);
  SetFaultClock(kLiveNow + 30);
  Send("MSG_CONNECT_FAILED", server_);
  EXPECT_EQ(server_->GetFaultFlag(), 1);
  EXPECT_EQ(server_->GetFaultTime(), kLiveNow) << "a lasting fault keeps the moment of the first failure";
  SetFaultClock(kLiveNow + 60);
  Send("MSG_CONNECTED", server_);
  EXPECT_EQ(server_->GetFaultFlag(), 0);
  EXPECT_EQ(server_->GetFaultTime(), kLiveNow);
  Send("MSG_NEED_TO_SYNCHRONIZE", server_);
  EXPECT_EQ(server_->GetFaultFlag(), 0);
}

TEST_F(ZavLiveStatusTest, AStatusFillsEveryColumnOfTheServerRowAndItsOperatingSystem) {
  CZavEventStream stream;
  CZavTotalStatus& total = stream.GetTotalStatus();
  total.SetVersion("5.1.2");
  total.SetCPU(11);
  total.SetTotalMemory(16.5f);
  total.SetUsedMemory(8.25f);
  total.SetService(1);
  total.SetTotalTraffic(12);
  total.SetInboundTraffic(13);
  total.SetOutboundTraffic(14);
  total.SetTotalLicenseCount(15);
  total.SetTotalCameraCount(16);
  total.SetTotalDisconnectedCameraCount(17);
  total.SetTotalHighStreamDisconnectedCameraCount(18);
  total.SetTotalLowStreamDisconnectedCameraCount(19);
  total.SetTotalBps(20);
  total.SetTotalHighStreamVideoBps(21);
  total.SetTotalHighStreamVideoFps(22);
  total.SetTotalLowStreamVideoBps(23);
  total.SetTotalLowStreamVideoFps(24);
  total.SetTotalMobileStreamVideoBps(25);
  total.SetTotalMobileStreamVideoFps(26);
  total.SetTotalAuxStreamVideoBps(27);
  total.SetTotalAuxStreamVideoFps(28);
  total.SetTotalAudioBps(29);
  total.SetTotalMetaBps(30);
  stream.GetRecordStatus().SetError(31);
  stream.GetRecordStatus().SetBufferUsingRate(0.5f);
  stream.SetVideoLossHighStreamChannels("2,3");
  stream.SetVideoLossLowStreamChannels("4");
  CZavSysteminformation info;
  info.OS = "Windows Server 2019";

  auto row = server_->GetStatus();
  ASSERT_TRUE(row);
  row->SetRecordPeriod(77);  // not the stream's: stays
  Send("MSG_STATUS_RECEIVED", server_, &stream, &info);

  const std::map<std::string, std::string> expected = {
      {"Version", "5.1.2"},          {"CpuUsage", "11"},
      {"Service", "1"},              {"TotalTraffic", "12"},
      {"InboundTraffic", "13"},      {"OutboundTraffic", "14"},
      {"LicenseCount", "15"},        {"CameraCount", "16"},
      {"FailureCameraCount", "17"},  {"HighStreamFailureCount", "18"},
      {"LowStreamFailureCount", "19"}, {"TotalBps", "20"},
      {"HighStreamBps", "21"},       {"HighStreamFps", "22"},
      {"LowStreamBps", "23"},        {"LowStreamFps", "24"},
      {"MobileStreamBps", "25"},     {"MobileStreamFps", "26"},
      {"AuxStreamBps", "27"},        {"AuxStreamFps", "28"},
      {"AudioBps", "29"},            {"MetaBps", "30"},
      {"RecordFailureCount", "31"},  {"VideoLossHighChannels", "2,3"},
      {"VideoLossLowChannels", "4"}, {"RecordPeriod", "77"},
  };
  std::map<std::string, std::string> columns = Columns(*row);
  for (const auto& [name, value] : expected) EXPECT_EQ(columns[name], value) << name;
  EXPECT_FLOAT_EQ(row->GetTotalMemory(), 16.5f);
  EXPECT_FLOAT_EQ(row->GetUsedMemory(), 8.25f);
  EXPECT_FLOAT_EQ(row->GetRecordBufferUsingrate(), 0.5f);
  EXPECT_EQ(row->GetOperatingSystem(), "Windows Server 2019");
  EXPECT_EQ(row->GetStatusTime(), kLiveNow);

  Send("MSG_STATUS_RECEIVED", server_, &stream, nullptr);
  EXPECT_EQ(row->GetOperatingSystem(), "Windows Server 2019") << "a status without system information keeps it";
}

TEST_F(ZavLiveStatusTest, ACameraRowTakesItsChannelsStreamsAndFailureCodes) {
  auto camera = AddCamera(10, 4, 3);
  CZavEventStream stream;
  CZavChannelStatus channel = Channel(1, 1);
  channel.SetStreamCount(2);
  channel.SetHighStreamVideoCodec("H264");
  channel.SetHighStreamVideoResolution("1920x1080");
  channel.SetHighStreamVideoBps(4000);
  channel.SetHighStreamVideoFps(30);
  channel.SetLowStreamVideoCodec("H265");
  channel.SetMobileStreamVideoFps(5);
  channel.SetAuxStreamVideoBps(6);
  channel.SetTranscodeStreamVideoResolution("640x480");
  channel.SetLowStreamFailureInformation("Unauthorized");
  channel.SetMobileStreamFailureInformation("videoloss");
  channel.SetAudioCodec("G711");
  channel.SetAudioBps(64);
  channel.SetMetaBps(8);
  channel.SetFirstRecordDate("2024-01-01");
  channel.SetFirstRecordTime("00:00:01");
  channel.SetLastRecordDate("2024-02-01");
  channel.SetLastRecordTime("23:59:59");
  channel.SetPing(12);
  stream.GetChannelStatuses()[3] = channel;
  Send("MSG_STATUS_RECEIVED", server_, &stream);

  auto row = CameraRow(10);
  ASSERT_TRUE(row);
  const std::map<std::string, std::string> expected = {
      {"StreamCount", "2"},          {"HighStreamConnection", "1"},  {"HighStreamCodec", "H264"},
      {"HighStreamResolution", "1920x1080"}, {"HighStreamBps", "4000"}, {"HighStreamFps", "30"},
      {"HighStreamErrorCode", "0"},  {"LowStreamCodec", "H265"},     {"LowStreamErrorCode", "2"},
      {"MobileStreamFps", "5"},      {"MobileStreamErrorCode", "4"}, {"AuxStreamBps", "6"},
      {"TranscodeStreamResolution", "640x480"}, {"AudioCodec", "G711"}, {"AudioBps", "64"},
      {"MetaBps", "8"},              {"FirstRecordDate", "2024-01-01"}, {"FirstRecordTime", "00:00:01"},
      {"LastRecordDate", "2024-02-01"}, {"LastRecordTime", "23:59:59"}, {"Ping", "12"},
  };
  std::map<std::string, std::string> columns = Columns(*row);
  for (const auto& [name, value] : expected) EXPECT_EQ(columns[name], value) << name;
  EXPECT_EQ(row->GetStatusTime(), kLiveNow);
  EXPECT_EQ(camera->GetStreamFailure(), 0);
}

TEST_F(ZavLiveStatusTest, TheHighStreamFailureTextGivesItsErrorCodeInAnyLetterCase) {
  AddCamera(10, 4, 1);
  const struct {
    const char* text;
    int code;
  } cases[] = {{"connectfailed", 1}, {"ConnectFailed", 1}, {"CONNECTFAILED", 1}, {"cOnNeCtFaIlEd", 1},
               {"Unauthorized", 2}, {"InvalidStreamAddress", 3}, {"VideoLoss", 4},
               {"connect failed", -1}, {"timeout", -1}, {"", 0}};
  for (const auto& c : cases) {
    CZavEventStream stream;
    stream.GetChannelStatuses()[1] = Channel(0, 1, c.text);
    Send("MSG_STATUS_RECEIVED", server_, &stream);
    EXPECT_EQ(CameraRow(10)->GetHighStreamErrorCode(), c.code) << "'" << c.text << "'";
  }
}

TEST_F(ZavLiveStatusTest, TheCameraFaultFlagFollowsTheHighAndLowStreamConnections) {
  auto camera = AddCamera(10, 4, 1);
  const struct {
    int high, low, fault;
  } steps[] = {{1, 0, 1}, {1, 1, 0}, {0, 1, 1}, {0, 0, 1}, {1, 1, 0}};
  for (const auto& step : steps) {
    CZavEventStream stream;
    stream.GetChannelStatuses()[1] = Channel(step.high, step.low);
    Send("MSG_STATUS_RECEIVED", server_, &stream);
    EXPECT_EQ(camera->GetStreamFailure(), step.fault) << step.high << "/" << step.low;
  }
}

TEST_F(ZavLiveStatusTest, ACameraWithoutStatusRowOrChannelWithoutCameraChangesNothing) {
  auto bare = AddCamera(11, 4, 2, false);
  CZavEventStream stream;
  stream.GetChannelStatuses()[2] = Channel(0, 0);
  stream.GetChannelStatuses()[9] = Channel(0, 0);  // no camera on channel 9
  Send("MSG_STATUS_RECEIVED", server_, &stream);
  EXPECT_EQ(bare->GetStreamFailure(), 0) << "the fault flag stays as it was";
  EXPECT_FALSE(CameraRow(11));
}

TEST_F(ZavLiveStatusTest, RecordingFlagsFollowTheChannelListsAndAFailoverCameraItsFailoverChannel) {
  auto other = AddServer(5, false);
  auto own = AddCamera(10, 4, 5);
  auto idle = AddCamera(12, 4, 2);
  auto moved = AddCamera(20, 5, 9);  // recorded here on channel 7 while server 5 is failed over
  auto history = std::make_unique<CTBLFailoverHistory>();
  history->SetFailoverHistoryID(1);
  history->SetZavID(5);
  history->SetTargetZavID(4);
  Add("TBL_FailoverHistories", std::move(history));
  auto failover = std::make_unique<CTBLFailover>();
  failover->SetFailoverID(1);
  failover->SetZavID(5);
  failover->SetTargetZavID(4);
  failover->SetFailoverHistoryID(1);
  Add("TBL_Failovers", std::move(failover));
  auto connection = std::make_unique<CTBLFailoverConnection>();
  connection->SetFailoverConnectionID(1);
  connection->SetFailoverHistoryID(1);
  connection->SetDeviceID(20);
  connection->SetZavID(4);
  connection->SetZavChannel(7);
  Add("TBL_FailoverConnections", std::move(connection));
  ASSERT_TRUE(own && idle && moved && other);

  CZavEventStream stream;
  stream.GetRecordStatus().SetTotalRecordChannels("1,5,7");
  stream.GetRecordStatus().SetPanicRecordChannels("2");
  Send("MSG_STATUS_RECEIVED", server_, &stream);

  const struct {
    int camera, schedule, panic;
  } expected[] = {{10, 1, 0}, {12, 0, 1}, {20, 1, 0}};
  for (const auto& e : expected) {
    auto row = CameraRow(e.camera);
    ASSERT_TRUE(row) << e.camera;
    EXPECT_EQ(row->GetScheduleRecord(), e.schedule) << e.camera;
    EXPECT_EQ(row->GetPanicRecord(), e.panic) << e.camera;
  }
}

TEST_F(ZavLiveStatusTest, AServerWithoutStatusRowStillUpdatesItsCameras) {
  auto bare = AddServer(6, false);
  auto camera = AddCamera(30, 6, 1);
  CZavEventStream stream;
  stream.GetChannelStatuses()[1] = Channel(1, 0);
  Send("MSG_STATUS_RECEIVED", bare, &stream);
  EXPECT_EQ(camera->GetStreamFailure(), 1);
  EXPECT_EQ(CameraRow(30)->GetStatusTime(), kLiveNow);
}

TEST_F(ZavLiveStatusTest, AnUnknownServerChangesAndLogsNothing) {
  ProcessLogCapture capture;
  CZavEventStream stream;
  Send("MSG_CONNECT_FAILED", nullptr);
  Send("MSG_STATUS_RECEIVED", nullptr, &stream);
  EXPECT_EQ(capture.Text().find("Message Raised"), std::string::npos);
  Send("MSG_CONNECTED", server_);
  EXPECT_NE(capture.Text().find("INFO - MSG_CONNECTED Message Raised."), std::string::npos) << capture.Text();
}

// ---- analysis servers ----

// Over the test database: the store's relation look-ups follow the table
// versions only when a database is behind it, as behind the live store.
class VasLiveStatusTest : public InstallationDatabaseTest {
 protected:
  VasLiveStatusTest() : InstallationDatabaseTest("vaslive") {}
  void SetUp() override {
    InstallationDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store_ = std::make_unique<CDataStore>(service_.get());
  }
  void TearDown() override {
    store_.reset();
    InstallationDatabaseTest::TearDown();
  }
  template <class Row>
  std::shared_ptr<Row> Add(const char* table, std::unique_ptr<Row> row) {
    return AddRow(*store_, table, std::move(row));
  }
  std::shared_ptr<CTBLVas> AddServer(int id, bool withStatus) {
    auto row = std::make_unique<CTBLVas>();
    row->SetVasID(id);
    row->SetName("vas" + std::to_string(id));
    row->SetAddr("10.0.0." + std::to_string(id));
    auto server = Add("TBL_Vas", std::move(row));
    EXPECT_TRUE(server);
    if (server && withStatus) {
      auto status = std::make_unique<CLTBLVasStatus>();
      status->SetVasID(server->GetVasID());
      Add("LTBL_VasStatus", std::move(status));
    }
    return server;
  }
  // Returns the device's key.
  int AddDevice(int vasId, int channel, bool withStatus) {
    auto row = std::make_unique<CTBLVasDevice>();
    row->SetVasID(vasId);
    row->SetChannelNo(channel);
    auto device = Add("TBL_VasDevice", std::move(row));
    if (!device) return 0;
    if (withStatus) {
      auto status = std::make_unique<CLTBLVasDeviceStatus>();
      status->SetVasDeviceID(device->GetID());
      Add("LTBL_VasDeviceStatus", std::move(status));
    }
    return device->GetID();
  }
  std::shared_ptr<CLTBLVasDeviceStatus> DeviceRow(int key) {
    return std::dynamic_pointer_cast<CLTBLVasDeviceStatus>(store_->FindCachedEntity("LTBL_VasDeviceStatus", key));
  }
  void Send(const std::string& name, const std::shared_ptr<CTBLVas>& server, const CVasStatusStream* stream,
            int64_t now = kLiveNow) {
    int32_t pair[2] = {store_->GetStoreId(), server ? server->GetVasID() : 99};
    CVasLiveStatus::OnMessage(*store_, server, now, ::Message(name, pair, stream), log_);
  }
  void SetFaultClock(int64_t seconds) { faultClock_.Set(seconds); }
  static CVasGPUStatus GPU(int id, const std::string& model, int usage) {
    CVasGPUStatus gpu;
    gpu.SetID(id);
    gpu.SetModelName(model);
    gpu.SetUsagePercent(usage);
    gpu.SetPciBusID("0000:0" + std::to_string(id) + ":00.0");
    gpu.SetTotalMemory(16.0f);
    gpu.SetUsedMemory(4.0f);
    return gpu;
  }
  // The server's GPU rows by GPU id.
  std::map<int, std::shared_ptr<CLTBLVasGPUStatus>> GPURows(const std::shared_ptr<CTBLVas>& server) {
    std::map<int, std::shared_ptr<CLTBLVasGPUStatus>> rows;
    for (const auto& entry : server->GetGPUStatusRows()) {
      auto row = std::dynamic_pointer_cast<CLTBLVasGPUStatus>(entry.second);
      rows[row->GetGPUID()] = row;
    }
    return rows;
  }

  FaultClockHold faultClock_;
  CServiceLog log_{"ServerStatusPublisher", "CServerStatusPublisher"};
  std::unique_ptr<CDataStore> store_;
};

TEST_F(VasLiveStatusTest, TheFirstStatusMakesOneGPURowPerGPUWithKeysFromTheIDSourceTheNextMakesNone) {
  auto server = AddServer(1, true);
  CVasStatusStream stream;
  stream.GetTotalStatus().GetGPUs()[1] = GPU(1, "RTX A4000", 35);
  stream.GetTotalStatus().GetGPUs()[2] = GPU(2, "RTX A2000", 70);
  const int lastKey = CIDCreater::GetInstance()->NextID(CVasLiveStatus::kGPUStatusIdKey);
  Send("MSG_STATUS_RECEIVED", server, &stream);

  auto rows = GPURows(server);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1]->GetVasGPUStatusID(), lastKey + 1);
  EXPECT_EQ(rows[2]->GetVasGPUStatusID(), lastKey + 2);
  EXPECT_EQ(rows[1]->GetModelName(), "RTX A4000");
  EXPECT_EQ(rows[1]->GetUsagePercent(), 35);
  EXPECT_EQ(rows[1]->GetPciBusID(), "0000:01:00.0");
  EXPECT_EQ(rows[2]->GetVasID(), server->GetVasID());
  EXPECT_FLOAT_EQ(rows[2]->GetTotalMemory(), 16.0f);
  EXPECT_EQ(rows[2]->GetStatusTime(), kLiveNow);

  stream.GetTotalStatus().GetGPUs()[1].SetUsagePercent(90);
  Send("MSG_STATUS_RECEIVED", server, &stream, kLiveNow + 5);
  auto again = GPURows(server);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1].get(), rows[1].get()) << "the same row, updated in place";
  EXPECT_EQ(again[1]->GetUsagePercent(), 90);
  EXPECT_EQ(again[1]->GetStatusTime(), kLiveNow + 5);
}

TEST_F(VasLiveStatusTest, AGPUNoLongerReportedKeepsItsRowAndLastValues) {
  auto server = AddServer(1, true);
  CVasStatusStream stream;
  stream.GetTotalStatus().GetGPUs()[1] = GPU(1, "A", 10);
  stream.GetTotalStatus().GetGPUs()[2] = GPU(2, "B", 20);
  Send("MSG_STATUS_RECEIVED", server, &stream);
  stream.GetTotalStatus().GetGPUs().erase(2);
  stream.GetTotalStatus().GetGPUs()[1].SetUsagePercent(11);
  Send("MSG_STATUS_RECEIVED", server, &stream, kLiveNow + 5);
  auto rows = GPURows(server);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[2]->GetUsagePercent(), 20);
  EXPECT_EQ(rows[2]->GetStatusTime(), kLiveNow);
  EXPECT_EQ(rows[1]->GetStatusTime(), kLiveNow + 5);
}

TEST_F(VasLiveStatusTest, TheServerRowAndChannelRowsTakeTheStatus) {
  auto server = AddServer(1, true);
  const int device3 = AddDevice(server->GetVasID(), 3, true);
  AddDevice(server->GetVasID(), 4, false);  // no status row: passed over
  CVasStatusStream stream;
  CVasTotalStatus& total = stream.GetTotalStatus();
  total.SetVersion("2.0");
  total.SetDNN("yolo");
  total.SetCPU(40);
  total.SetTotalCameraCount(8);
  total.SetTotalDisconnectedCameraCount(1);
  total.SetTotalProcessedFps(12.5);
  CVasChannelStatus channel;
  channel.SetStreamConnection(1);
  channel.SetStreamVideoCodec("H264");
  channel.SetStreamVideoReceivedFps(15);
  channel.SetStreamVideoProcessedFps(7.5);
  stream.GetChannelStatus()[3] = channel;
  stream.GetChannelStatus()[4] = channel;
  stream.GetChannelStatus()[9] = channel;  // no device
  Send("MSG_STATUS_RECEIVED", server, &stream);

  auto status = server->GetStatus();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetVersion(), "2.0");
  EXPECT_EQ(status->GetDNN(), "yolo");
  EXPECT_EQ(status->GetCPU(), 40);
  EXPECT_EQ(status->GetTotalCameraCount(), 8);
  EXPECT_EQ(status->GetTotalDisconnectedCameraCount(), 1);
  EXPECT_DOUBLE_EQ(status->GetTotalProcessedFps(), 12.5);
  EXPECT_EQ(status->GetStatusTime(), kLiveNow);
  auto device = DeviceRow(device3);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->GetStreamConnection(), 1);
  EXPECT_EQ(device->GetStreamVideoCodec(), "H264");
  EXPECT_EQ(device->GetStreamVideoReceivedFps(), 15);
  EXPECT_DOUBLE_EQ(device->GetStreamVideoProcessedFps(), 7.5);
  EXPECT_EQ(device->GetStatusTime(), kLiveNow);
}

TEST_F(VasLiveStatusTest, AServerWithoutStatusRowStillGetsGPUAndChannelRows) {
  auto server = AddServer(2, false);
  const int device = AddDevice(server->GetVasID(), 1, true);
  CVasStatusStream stream;
  stream.GetTotalStatus().GetGPUs()[1] = GPU(1, "T4", 5);
  CVasChannelStatus channel;
  channel.SetStreamConnection(1);
  stream.GetChannelStatus()[1] = channel;
  Send("MSG_STATUS_RECEIVED", server, &stream);
  EXPECT_FALSE(server->GetStatus());
  EXPECT_EQ(GPURows(server).size(), 1u);
  ASSERT_TRUE(DeviceRow(device));
  EXPECT_EQ(DeviceRow(device)->GetStreamConnection(), 1);
}

TEST_F(VasLiveStatusTest, ConnectionMessagesRaiseAndClearTheFaultAndAnUnknownServerChangesNothing) {
  auto server = AddServer(1, true);
  ProcessLogCapture capture;
  Send("MSG_CONNECT_FAILED", nullptr, nullptr);
  EXPECT_EQ(capture.Text().find("OnVasSystemStatusHandler::"), std::string::npos);
  Send("MSG_CONNECT_FAILED", server, nullptr);
  SetFaultClock(kLiveNow + 10);
  Send("MSG_CONNECT_FAILED", server, nullptr);
  EXPECT_EQ(server->GetFaultFlag(), 1);
  EXPECT_EQ(server->GetFaultTime(), kLiveNow);
  Send("MSG_CONNECTED", server, nullptr);
  EXPECT_EQ(server->GetFaultFlag(), 0);
  EXPECT_EQ(server->GetFaultTime(), kLiveNow);
  const std::string log = capture.Text();
  EXPECT_NE(log.find("OnVasSystemStatusHandler::MSG_CONNECT_FAILED []"), std::string::npos) << log;
  EXPECT_NE(log.find("OnVasSystemStatusHandler::MSG_CONNECTED [" + server->GetDisplayName() + "]"),
            std::string::npos)
      << log;
}

}  // namespace
