// The facts of every core table: column count and order, first and last
// names, kinds, the values of a new row, key, flags and relations.
#include "RowTestSupport.h"

namespace {

const TableFacts kCamera{
    "TBL_Camera", 116, "no", "PTZControl", "no", true, false, false, false,
    {{0, "no", kInt, "0"},
     {1, "enable", kBool, "1"},
     {2, "model_type", kStr, ""},
     {3, "device_type", kStr, ""},
     {7, "zav_no", kInt, "-1"},
     {8, "zav_channel", kInt, "-1"},
     {11, "password", kStr, ""},
     {12, "web_port", kInt, "0"},
     {15, "stream1_token", kStr, ""},
     {17, "stream1_port", kInt, "554"},
     {22, "stream2_port", kInt, "554"},
     {27, "stream3_port", kInt, "554"},
     {32, "stream4_port", kInt, "554"},
     {37, "stream5_port", kInt, "554"},
     {39, "stream5_resolution", kStr, ""},
     {40, "high_res_url", kStr, ""},
     {44, "event1_topic_item", kStr, ""},
     {53, "event10_topic_item", kStr, ""},
     {58, "gis_facility_group", kInt, "1"},
     {62, "use_ptz_server", kBool, "0"},
     {69, "sub_channel", kInt, "1"},
     {70, "_order_", kInt, "-1"},
     {71, "user1", kStr, ""},
     {90, "user20", kStr, ""},
     {91, "use_windowing", kBool, "0"},
     {92, "windowing_bps", kInt, "2000"},
     {93, "windowing_stream_no", kInt, "1"},
     {101, "windowing_ih", kInt, "0"},
     {103, "mobile_url", kStr, ""},
     {104, "IsDeleted", kBool, "0"},
     {105, "DateTimeAdded", kDateTime, ""},
     {106, "SiteID", kInt, "0"},
     {107, "MotionEnabled", kBool, "1"},
     {108, "AlarmEnabled", kBool, "1"},
     {109, "MetaEnabled", kBool, "0"},
     {112, "DynamicSwitching", kBool, "0"},
     {113, "ChannelName", kStr, ""},
     {115, "PTZControl", kInt, "0"}},
    {{"TBL_Camera_Group_Camera_List", "camera_no", kDelete},
     {"TBL_Record_Schedule", "camera_no", kDelete},
     {"TBL_Tour", "camera_no", kDelete},
     {"TBL_Associations", "DeviceID", kDelete},
     {"TBL_Associations", "AssociatedDeviceID", kDelete},
     {"TBL_VideoAnalysisSettings", "DeviceID", kDelete},
     {"TBL_Markers", "CameraID", kDelete},
     {"TBL_DeviceSettings", "DeviceID", kDelete},
     {"TBL_UserPermissions", "DeviceID", kDelete},
     {"LTBL_DeviceStatus", "DeviceID", kDelete},
     {"TBL_Presets", "DeviceID", kDelete},
     {"TBL_GIS_Camera_Histroy", "camera_no", kDelete},
     {"TBL_VasDevice", "DeviceID", kDelete},
     {"TBL_PwdDevice", "DeviceNo", kDelete},
     {"TBL_ObjectCounts", "DeviceID", kDelete},
     {"TBL_DeviceServerChanges", "DeviceID", kDelete}}};

const TableFacts kDeviceStatus{
    "LTBL_DeviceStatus", 73, "DeviceID", "BinaryType", "DeviceID", false, false, true, false,
    {{0, "DeviceID", kInt, "0"},
     {1, "StreamCount", kInt, "0"},
     {2, "HighStreamConnection", kBool, "0"},
     {3, "HighStreamCodec", kStr, ""},
     {5, "HighStreamBps", kU32, "0"},
     {7, "HighStreamErrorCode", kInt, "0"},
     {8, "LowStreamConnection", kBool, "0"},
     {31, "TranscodeStreamErrorCode", kInt, "0"},
     {32, "AudioCodec", kStr, ""},
     {34, "MetaBps", kU32, "0"},
     {39, "Ping", kInt, "0"},
     {40, "ScheduleRecord", kBool, "0"},
     {46, "TourStatus", kBool, "0"},
     {50, "OtherRaisedEvents", kU32, "0"},
     {70, "VibrationRaised", kBool, "0"},
     {71, "Version", kStr, ""},
     {72, "BinaryType", kU32, "0"}},
    {}};

const TableFacts kZavStatus{
    "LTBL_ZavStatus", 32, "ZavID", "VideoLossLowChannels", "ZavID", false, false, true, false,
    {{1, "Version", kStr, ""},
     {3, "TotalMemory", kFloat, "0"},
     {5, "Service", kBool, "0"},
     {6, "TotalTraffic", kU32, "0"},
     {9, "CaptureBufferUsingrate", kFloat, "0"},
     {26, "RecordFailureCount", kInt, "0"},
     {27, "RecordPeriod", kU32, "0"},
     {28, "RecordBufferUsingrate", kFloat, "0"},
     {29, "FaultClearingWaitTime", kU32, "0"},
     {30, "VideoLossHighChannels", kStr, ""}},
    {}};

const TableFacts kStorageStatus{
    "LTBL_StorageStatus", 22, "StorageStatusID", "RecordEndTime", "StorageStatusID", false, false, true, false,
    {{1, "ZavID", kInt, "0"},
     {4, "TotalSize", kU64, "0"},
     {11, "Enabled", kBool, "0"},
     {13, "AverageMbps", kStr, ""},
     {15, "Temperature", kFloat, "0"},
     {20, "RecordStartTime", kDateTime, ""},
     {21, "RecordEndTime", kDateTime, ""}},
    {}};

const TableFacts kVasStatus{
    "LTBL_VasStatus", 17, "VasID", "TotalUnprocessedFps", "VasID", false, false, true, false,
    {{2, "CPU", kInt, "0"}, {3, "TotalMemory", kFloat, "0"}, {15, "TotalProcessedFps", kDouble, "0"}},
    {}};

const TableFacts kVasDeviceStatus{
    "LTBL_VasDeviceStatus", 10, "VasDeviceID", "StreamVideoUnprocessedFps", "VasDeviceID", false, false, true,
    false,
    {{1, "StreamConnection", kBool, "0"}, {4, "StreamVideoReceivedBps", kU32, "0"},
     {8, "StreamVideoProcessedFps", kDouble, "0"}},
    {}};

const TableFacts kVasGPUStatus{
    "LTBL_VasGPUStatus", 8, "VasGPUStatusID", "UsedMemory", "VasGPUStatusID", false, false, true, false,
    {{1, "VasID", kInt, "0"}, {2, "ID", kInt, "0"}, {3, "PciBusID", kStr, ""}, {5, "UsagePercent", kInt, "0"}},
    {}};

const TableFacts kZav{
    "TBL_Zav", 22, "no", "DefaultAddressIndex", "no", true, false, false, false,
    {{3, "web_port", kInt, "80"},
     {4, "service_port", kInt, "554"},
     {5, "model", kInt, "1"},
     {6, "streaming_type", kStr, "HTTP"},
     {7, "IsDeleted", kBool, "0"},
     {8, "DateTimeAdded", kDateTime, ""},
     {13, "SecureWebPort", kInt, "443"},
     {14, "RtspPort", kInt, "554"},
     {20, "ExternalPort4", kInt, "0"}},
    {{"TBL_Camera", "zav_no", kSetZero},
     {"TBL_Failovers", "ZavID", kDelete},
     {"TBL_Failovers", "TargetZavID", kDelete},
     {"TBL_FailoverHistories", "ZavID", kDelete},
     {"TBL_ServerSettings", "ServerID", kDelete},
     {"TBL_NasStorage", "ZavID", kDelete},
     {"TBL_Vas", "ZavID", kSetZero},
     {"LTBL_ZavStatus", "ZavID", kDelete},
     {"LTBL_StorageStatus", "ZavID", kDelete}}};

const TableFacts kNasStorage{
    "TBL_NasStorage", 9, "NasStorageID", "IsDeleted", "NasStorageID", true, false, false, false,
    {{1, "ZavID", kInt, "0"}, {3, "FileSystemKind", kInt, "0"}, {7, "NasUserPassword", kStr, ""}},
    {}};

const TableFacts kCameraGroup{
    "TBL_Camera_Group", 5, "no", "IsDeleted", "no", true, false, false, false,
    {{1, "group_name", kStr, ""}, {2, "_order_", kInt, "-1"}, {3, "parent_no", kInt, "0"}, {4, "IsDeleted", kBool, "0"}},
    {{"TBL_UserPermissions", "DeviceGroupID", kDelete},
     {"TBL_Camera_Group_Camera_List", "camera_group_no", kDelete},
     {"TBL_VasDeviceGroupList", "DeviceGroupID", kDelete}}};

const TableFacts kCameraList{
    "TBL_Camera_Group_Camera_List", 3, "camera_group_no", "_order_", "", false, true, false, false,
    {{0, "camera_group_no", kInt, "-1"}, {1, "camera_no", kInt, "-1"}, {2, "_order_", kInt, "-1"}},
    {}};

const TableFacts kClient{
    "TBL_Client", 16, "clientid", "ExternalPort", "ClientID", true, false, false, false,
    {{3, "web_port", kInt, "80"},
     {4, "access_time", kStr, ""},
     {5, "kind", kInt, "0"},
     {6, "isdeleted", kBool, "0"},
     {7, "isonline", kBool, "0"},
     {8, "Version", kStr, ""},
     {9, "UserID", kInt, "0"}},
    {}};

const TableFacts kRecord{
    "TBL_Record", 3, "use_period_limit", "fc_wait_time", "", false, false, false, false,
    {{0, "use_period_limit", kBool, "0"}, {1, "record_days", kInt, "30"}, {2, "fc_wait_time", kInt, "60"}},
    {}};

const std::string kAllHoursC(168, 'C');

const TableFacts kRecordSchedule{
    "TBL_Record_Schedule", 6, "camera_no", "MetaRecording", "camera_no", false, false, false, false,
    {{0, "camera_no", kInt, "-1"},
     {1, "pre_time", kInt, "10"},
     {2, "post_time", kInt, "10"},
     {3, "audio_recording", kInt, "0"},
     {4, "schedule", kStr, kAllHoursC.c_str()},
     {5, "MetaRecording", kBool, "0"}},
    {},
    {"column schedule loads"}};

const TableFacts kUserLog{
    "TBL_UserLog", 11, "UserLogID", "ResultCodeID", "UserLogID", true, false, false, true,
    {{4, "DateTimeAdded", kDateTime, ""}, {7, "Detail1", kStr, ""}},
    {}};

const TableFacts kUserMacAddress{
    "TBL_UserMacAddress", 8, "UserMacAddressID", "DateTimeAdded", "UserMacAddressID", true, false, false, false,
    {{3, "IPAddress", kStr, ""}, {7, "DateTimeAdded", kDateTime, ""}},
    {}};

const TableFacts kUserResources{
    "TBL_UserResources", 5, "UserResourceID", "DateTimeUpdated", "UserResourceID", true, false, false, false,
    {{2, "ResourceID", kInt, "0"}, {4, "DateTimeUpdated", kDateTime, ""}},
    {}};

const TableFacts kPermissions{
    "TBL_Permissions", 6, "PermissionID", "Enabled", "PermissionID", false, false, false, false,
    {{3, "PrivilegeType", kInt, "4"}, {4, "PrivilegeValue", kStr, ""}, {5, "Enabled", kBool, "1"}},
    {}};

const TableFacts kUserPermissions{
    "TBL_UserPermissions", 8, "UserPermissionID", "MapID", "UserPermissionID", true, false, false, false,
    {{2, "PermissionID", kInt, "0"}, {3, "PrivilegeType", kInt, "4"}, {5, "DeviceID", kInt, "0"},
     {6, "DeviceGroupID", kInt, "0"}},
    {}};

class TableFactsTest : public ::testing::TestWithParam<const TableFacts*> {};

TEST_P(TableFactsTest, NewRowMatchesTheTable) { ExpectTableFacts(*GetParam()); }

INSTANTIATE_TEST_SUITE_P(CoreTables, TableFactsTest,
                         ::testing::Values(&kCamera, &kDeviceStatus, &kZavStatus, &kStorageStatus, &kVasStatus,
                                           &kVasDeviceStatus, &kVasGPUStatus, &kZav, &kNasStorage, &kCameraGroup,
                                           &kCameraList, &kClient, &kRecord, &kRecordSchedule, &kUserLog,
                                           &kUserMacAddress, &kUserResources, &kPermissions, &kUserPermissions),
                         TableFactsParamName);

}  // namespace
