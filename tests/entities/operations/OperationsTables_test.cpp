// The facts of every operations table (schedules, tours, work schedules,
// failover, maps and markers, GIS, resources, layouts, passwords, events,
// site-specific and organisation tables): the registry's class, every column
// with its kind and the value of a new row, key, cache exclusion and
// relations in order; the tables as the creation script makes them in
// MariaDB; and one insert, load, update and delete of each through the
// database layer.
#include <gtest/gtest.h>

#include "DatabaseRowTest.h"
#include "RowTestSupport.h"
#include "database/DBSchema.h"
#include "entities/base/EntitySchema.h"
#include "entities/operations/ListItems.h"
#include "entities/operations/Map.h"
#include "entities/operations/Site.h"
#include "entities/operations/SystemEvent.h"
#include "entities/operations/Tour.h"
#include "foundation/StringUtil.h"

namespace {

// Every column of each table in order (the event log's `date` holds the time
// the row was made and is checked on its own).
const TableFacts kScheduleTasks{
    "TBL_ScheduleTasks", 9, "ScheduleTaskID", "DateTimeUpdated", "ScheduleTaskID", true, false, false, false,
    {{0, "ScheduleTaskID", kInt, "0"},
     {1, "Category", kInt, "0"},
     {2, "Kind", kInt, "0"},
     {3, "Name", kStr, ""},
     {4, "Enabled", kBool, "0"},
     {5, "Detail1", kStr, ""},
     {6, "Detail2", kStr, ""},
     {7, "Detail3", kStr, ""},
     {8, "DateTimeUpdated", kDateTime, ""}},
    {{"TBL_Schedules", "ScheduleTaskID", kDelete},
     {"TBL_VasROI", "ScheduleTaskID", kSetZero},
     {"TBL_VasClassList", "ScheduleTaskID", kSetZero}}};

const TableFacts kSchedules{
    "TBL_Schedules", 9, "ScheduleID", "AllDay", "ScheduleID", true, false, false, false,
    {{0, "ScheduleID", kInt, "0"},
     {1, "NetworkFilterID", kInt, "0"},
     {2, "ScheduleTaskID", kInt, "0"},
     {3, "RecurrenceKind", kInt, "0"},
     {4, "StartDate", kDate, ""},
     {5, "StartTime", kTime, ""},
     {6, "EndDate", kDate, ""},
     {7, "EndTime", kTime, ""},
     {8, "AllDay", kBool, "0"}},
    {{"TBL_ScheduleWeeks", "ScheduleID", kDelete},
     {"TBL_TimeCoverages", "ScheduleID", kDelete}}};

const TableFacts kScheduleWeeks{
    "TBL_ScheduleWeeks", 9, "ScheduleWeekID", "Sunday", "ScheduleWeekID", true, false, false, false,
    {{0, "ScheduleWeekID", kInt, "0"},
     {1, "ScheduleID", kInt, "0"},
     {2, "Monday", kBool, "0"},
     {3, "Tuesday", kBool, "0"},
     {4, "Wednesday", kBool, "0"},
     {5, "Thursday", kBool, "0"},
     {6, "Friday", kBool, "0"},
     {7, "Saturday", kBool, "0"},
     {8, "Sunday", kBool, "0"}},
    {{"TBL_TimeCoverages", "ScheduleWeekID", kDelete}}};

const TableFacts kTimeCoverages{
    "TBL_TimeCoverages", 5, "TimeCoverageID", "EndTime", "TimeCoverageID", true, false, false, false,
    {{0, "TimeCoverageID", kInt, "0"},
     {1, "ScheduleID", kInt, "0"},
     {2, "ScheduleWeekID", kInt, "0"},
     {3, "StartTime", kTime, ""},
     {4, "EndTime", kTime, ""}},
    {}};

const TableFacts kTour{
    "TBL_Tour", 19, "camera_no", "SchedTourList5", "camera_no", false, false, false, false,
    {{0, "camera_no", kInt, "-1"},
     {1, "tour_list", kStr, ""},
     {2, "sun", kStr, ""},
     {3, "mon", kStr, ""},
     {4, "tue", kStr, ""},
     {5, "wed", kStr, ""},
     {6, "thu", kStr, ""},
     {7, "fri", kStr, ""},
     {8, "sat", kStr, ""},
     {9, "use_home_preset", kBool, "0"},
     {10, "home_preset_no", kInt, "1"},
     {11, "home_period_sec", kInt, "10"},
     {12, "ResumeTime", kInt, "180"},
     {13, "TourKind", kInt, "0"},
     {14, "SchedTourList1", kStr, ""},
     {15, "SchedTourList2", kStr, ""},
     {16, "SchedTourList3", kStr, ""},
     {17, "SchedTourList4", kStr, ""},
     {18, "SchedTourList5", kStr, ""}},
    {}};

const TableFacts kPresets{
    "TBL_Presets", 4, "PresetID", "Number", "PresetID", true, false, false, false,
    {{0, "PresetID", kInt, "0"},
     {1, "DeviceID", kInt, "0"},
     {2, "Name", kStr, ""},
     {3, "Number", kInt, "0"}},
    {}};

const TableFacts kWorkScheduleTemplates{
    "TBL_WorkScheduleTemplates", 3, "WorkScheduleTemplateID", "ResourceID", "WorkScheduleTemplateID",
    true, false, false, false,
    {{0, "WorkScheduleTemplateID", kInt, "0"},
     {1, "Name", kStr, ""},
     {2, "ResourceID", kInt, "0"}},
    {{"TBL_WorkSchedules", "WorkScheduleTemplateID", kDelete}}};

const TableFacts kWorkSchedules{
    "TBL_WorkSchedules", 3, "WorkScheduleID", "WorkScheduleDate", "WorkScheduleID", true, false, false, false,
    {{0, "WorkScheduleID", kInt, "0"},
     {1, "WorkScheduleTemplateID", kInt, "0"},
     {2, "WorkScheduleDate", kDate, ""}},
    {{"TBL_Workers", "WorkScheduleID", kDelete},
     {"TBL_WorkScheduleMessages", "WorkScheduleID", kDelete}}};

const TableFacts kWorkers{
    "TBL_Workers", 5, "WorkerID", "Note", "WorkerID", true, false, false, false,
    {{0, "WorkerID", kInt, "0"},
     {1, "WorkScheduleID", kInt, "0"},
     {2, "Name", kStr, ""},
     {3, "Code", kStr, ""},
     {4, "Note", kStr, ""}},
    {}};

const TableFacts kWorkScheduleMessages{
    "TBL_WorkScheduleMessages", 4, "WorkScheduleMessageID", "MessageOrder", "WorkScheduleMessageID",
    true, false, false, false,
    {{0, "WorkScheduleMessageID", kInt, "0"},
     {1, "WorkScheduleID", kInt, "0"},
     {2, "Message", kStr, ""},
     {3, "MessageOrder", kInt, "0"}},
    {}};

const TableFacts kFailovers{
    "TBL_Failovers", 4, "FailoverID", "FailoverHistoryID", "FailoverID", true, false, false, false,
    {{0, "FailoverID", kInt, "0"},
     {1, "ZavID", kInt, "0"},
     {2, "TargetZavID", kInt, "0"},
     {3, "FailoverHistoryID", kInt, "0"}},
    {}};

const TableFacts kFailoverHistories{
    "TBL_FailoverHistories", 9, "FailoverHistoryID", "IsDeleted", "FailoverHistoryID", true, false, false, false,
    {{0, "FailoverHistoryID", kInt, "0"},
     {1, "ZavID", kInt, "0"},
     {2, "TargetZavID", kInt, "0"},
     {3, "UserID", kInt, "0"},
     {4, "ClientID", kInt, "0"},
     {5, "DateTimeAdded", kDateTime, ""},
     {6, "DateTimeDeleted", kDateTime, ""},
     {7, "Comment", kStr, ""},
     {8, "IsDeleted", kBool, "0"}},
    {{"TBL_FailoverConnections", "FailoverHistoryID", kDelete}}};

const TableFacts kFailoverConnections{
    "TBL_FailoverConnections", 8, "FailoverConnectionID", "IsDeleted", "FailoverConnectionID",
    true, false, false, false,
    {{0, "FailoverConnectionID", kInt, "0"},
     {1, "FailoverHistoryID", kInt, "0"},
     {2, "DeviceID", kInt, "0"},
     {3, "ZavID", kInt, "0"},
     {4, "ZavChannel", kInt, "0"},
     {5, "DateTimeAdded", kDateTime, ""},
     {6, "DateTimeDeleted", kDateTime, ""},
     {7, "IsDeleted", kBool, "0"}},
    {}};

const TableFacts kMaps{
    "TBL_Maps", 14, "MapID", "WebMapKey2", "MapID", true, false, false, false,
    {{0, "MapID", kInt, "0"},
     {1, "ResourceID", kInt, "0"},
     {2, "Name", kStr, ""},
     {3, "Description", kStr, ""},
     {4, "Kind", kInt, "0"},
     {5, "CoordinateX", kDouble, "0"},
     {6, "CoordinateY", kDouble, "0"},
     {7, "CoordinateZ", kDouble, "0"},
     {8, "CoordinateType", kInt, "0"},
     {9, "Zoom", kInt, "0"},
     {10, "IsDeleted", kBool, "0"},
     {11, "WebMapUrl", kStr, ""},
     {12, "WebMapKey1", kStr, ""},
     {13, "WebMapKey2", kStr, ""}},
    {{"TBL_Markers", "MapID", kDelete},
     {"TBL_Markers", "TargetMapID", kDelete},
     {"TBL_GIS_Favorite", "MapID", kDelete},
     {"TBL_Zones", "MapID", kDelete},
     {"TBL_UserPermissions", "MapID", kDelete}}};

const TableFacts kMarkers{
    "TBL_Markers", 23, "MarkerID", "ObserveColor", "MarkerID", true, false, false, false,
    {{0, "MarkerID", kInt, "0"},
     {1, "MapID", kInt, "0"},
     {2, "CameraID", kInt, "0"},
     {3, "TargetMapID", kInt, "0"},
     {4, "SiteID", kInt, "0"},
     {5, "ResourceID", kInt, "0"},
     {6, "CoordinateX", kDouble, "0"},
     {7, "CoordinateY", kDouble, "0"},
     {8, "CoordinateZ", kDouble, "0"},
     {9, "CoordinateType", kInt, "0"},
     {10, "FacilityGroupID", kInt, "0"},
     {11, "RotateDegree", kDouble, "0"},
     {12, "ObserveDistance", kInt, "0"},
     {13, "ObserveDegree", kDouble, "0"},
     {14, "AlarmResourceID", kInt, "0"},
     {15, "ObservationAreaVisibled", kBool, "0"},
     {16, "UseAutomaticObservation", kBool, "0"},
     {17, "ObserveInitialX", kDouble, "0"},
     {18, "ObserveInitialY", kDouble, "0"},
     {19, "ObserveInitialZ", kDouble, "0"},
     {20, "Name", kStr, ""},
     {21, "Description", kStr, ""},
     {22, "ObserveColor", kU32, "0"}},
    {{"TBL_Associations", "MarkerID", kDelete}}};

const TableFacts kMarkerResources{
    "TBL_MarkerResources", 6, "MarkerResourceID", "FailureResourceID", "MarkerResourceID", true, false, false, false,
    {{0, "MarkerResourceID", kInt, "0"},
     {1, "Name", kStr, ""},
     {2, "NormalResourceID", kInt, "0"},
     {3, "AlarmResourceID", kInt, "0"},
     {4, "DisableResourceID", kInt, "0"},
     {5, "FailureResourceID", kInt, "0"}},
    {{"TBL_Facility_Group", "MarkerResourceID", kSetZero}}};

const TableFacts kGISConfig{
    "TBL_GIS_Config", 14, "no", "MapUrl", "no", true, false, false, false,
    {{0, "no", kInt, "0"},
     {1, "latitude", kDouble, "0"},
     {2, "longitude", kDouble, "0"},
     {3, "zoom_level", kInt, "0"},
     {4, "area_name", kStr, ""},
     {5, "area_code", kInt, "0"},
     {6, "en_casting_net", kInt, "0"},
     {7, "en_event", kInt, "0"},
     {8, "map_api_key", kStr, ""},
     {9, "local_api_key", kStr, ""},
     {10, "sgis_api_key", kStr, ""},
     {11, "area_latitude", kDouble, "0"},
     {12, "area_longitude", kDouble, "0"},
     {13, "MapUrl", kStr, ""}},
    {}};

const TableFacts kGISFavorite{
    "TBL_GIS_Favorite", 6, "no", "MapID", "no", true, false, false, false,
    {{0, "no", kInt, "0"},
     {1, "name", kStr, ""},
     {2, "latitude", kDouble, "0"},
     {3, "longitude", kDouble, "0"},
     {4, "zoom", kInt, "0"},
     {5, "MapID", kInt, "0"}},
    {}};

const TableFacts kGISCameraHistroy{
    "TBL_GIS_Camera_Histroy", 6, "no", "mod_date", "no", true, false, false, false,
    {{0, "no", kInt, "0"},
     {1, "camera_no", kInt, "0"},
     {2, "date", kStr, ""},
     {3, "title", kStr, ""},
     {4, "memo", kStr, ""},
     {5, "mod_date", kStr, ""}},
    {}};

const TableFacts kFacilityGroup{
    "TBL_Facility_Group", 5, "no", "MarkerResourceID", "no", true, false, false, false,
    {{0, "no", kInt, "0"},
     {1, "name", kStr, ""},
     {2, "icon", kInt, "0"},
     {3, "ResourceID", kInt, "0"},
     {4, "MarkerResourceID", kInt, "0"}},
    {{"TBL_Camera", "gis_facility_group", kSetZero},
     {"TBL_Markers", "FacilityGroupID", kSetZero}}};

const TableFacts kResources{
    "TBL_Resources", 9, "ResourceID", "IsDeleted", "ResourceID", true, false, false, false,
    {{0, "ResourceID", kInt, "0"},
     {1, "Name", kStr, ""},
     {2, "Kind", kInt, "0"},
     {3, "FileName", kStr, ""},
     {4, "StoreFileName", kStr, ""},
     {5, "IsDefault", kBool, "0"},
     {6, "FileSize", kU64, "0"},
     {7, "FileHash", kStr, ""},
     {8, "IsDeleted", kBool, "0"}},
    {{"TBL_Maps", "ResourceID", kDelete},
     {"TBL_Markers", "ResourceID", kSetZero},
     {"TBL_Applications", "ResourceID", kDelete},
     {"TBL_Facility_Group", "ResourceID", kSetZero},
     {"TBL_CustomLayouts", "ResourceID", kSetZero},
     {"TBL_MarkerResources", "NormalResourceID", kSetZero},
     {"TBL_MarkerResources", "AlarmResourceID", kSetZero},
     {"TBL_MarkerResources", "DisableResourceID", kSetZero},
     {"TBL_MarkerResources", "FailureResourceID", kSetZero},
     {"TBL_UserResources", "ResourceID", kSetZero},
     {"TBL_WorkScheduleTemplates", "ResourceID", kSetZero}}};

const TableFacts kCustomLayouts{
    "TBL_CustomLayouts", 8, "CustomLayoutID", "Rows", "CustomLayoutID", true, false, false, false,
    {{0, "CustomLayoutID", kInt, "0"},
     {1, "UserID", kInt, "0"},
     {2, "ResourceID", kInt, "0"},
     {3, "Name", kStr, ""},
     {4, "Kind", kInt, "0"},
     {5, "DefaultStream", kInt, "1"},
     {6, "Cols", kInt, "0"},
     {7, "Rows", kInt, "0"}},
    {{"TBL_CustomLayoutCells", "CustomLayoutID", kDelete}}};

const TableFacts kCustomLayoutCells{
    "TBL_CustomLayoutCells", 7, "CustomLayoutCellID", "Stream", "CustomLayoutCellID", true, false, false, false,
    {{0, "CustomLayoutCellID", kInt, "0"},
     {1, "CustomLayoutID", kInt, "0"},
     {2, "Left", kInt, "0"},
     {3, "Top", kInt, "0"},
     {4, "Right", kInt, "0"},
     {5, "Bottom", kInt, "0"},
     {6, "Stream", kInt, "0"}},
    {}};

const TableFacts kPwdCreationRule{
    "TBL_PwdCreationRule", 11, "No", "DateTimeAdded", "No", true, false, false, false,
    {{0, "No", kInt, "0"},
     {1, "RuleName", kStr, ""},
     {2, "PrefixString", kStr, ""},
     {3, "SuffixString", kStr, ""},
     {4, "UppercaseLength", kInt, "0"},
     {5, "LowercaseLength", kInt, "0"},
     {6, "NumberLength", kInt, "0"},
     {7, "SpecialcharLength", kInt, "0"},
     {8, "SpecialcharList", kStr, ""},
     {9, "IsDeleted", kBool, "0"},
     {10, "DateTimeAdded", kDateTime, ""}},
    {{"TBL_PwdDevice", "CreationRuleNo", kSetZero}}};

const TableFacts kPwdDevice{
    "TBL_PwdDevice", 11, "No", "DateTimeAdded", "No", true, false, false, false,
    {{0, "No", kInt, "0"},
     {1, "DeviceNo", kInt, "0"},
     {2, "Enable", kBool, "0"},
     {3, "CreationRuleNo", kInt, "0"},
     {4, "AutoChangeInterval", kInt, "0"},
     {5, "LastChangeDate", kDate, ""},
     {6, "LastViewDateTime", kStr, ""},
     {7, "Status", kInt, "0"},
     {8, "RequestedPassword", kStr, ""},
     {9, "IsDeleted", kBool, "0"},
     {10, "DateTimeAdded", kDateTime, ""}},
    {}};

const TableFacts kPwdLog{
    "TBL_PwdLog", 17, "No", "Detail2", "No", true, false, false, true,
    {{0, "No", kInt, "0"},
     {1, "DateTimeAdded", kDateTime, ""},
     {2, "CameraName", kStr, ""},
     {3, "CameraVendor", kStr, ""},
     {4, "CameraModel", kStr, ""},
     {5, "CameraAddress", kStr, ""},
     {6, "CameraPort", kInt, "0"},
     {7, "CameraLoginID", kStr, ""},
     {8, "CameraLoginOldPassword", kStr, ""},
     {9, "CameraLoginNewPassword", kStr, ""},
     {10, "UserLoginID", kStr, ""},
     {11, "FunctionType", kInt, "0"},
     {12, "CreationRuleName", kStr, ""},
     {13, "Result", kInt, "0"},
     {14, "PwdDeviceNo", kInt, "0"},
     {15, "Detail1", kStr, ""},
     {16, "Detail2", kStr, ""}},
    {}};

const TableFacts kSystemEvents{
    "TBL_SystemEvents", 15, "SystemEventID", "DateTimeUpdated", "SystemEventID", true, false, false, true,
    {{0, "SystemEventID", kInt, "0"},
     {1, "EventTypeID", kInt, "0"},
     {2, "RelatedID", kInt, "0"},
     {3, "RelatedType", kInt, "0"},
     {4, "DateTimeAdded", kDateTime, ""},
     {5, "RecordID", kInt, "0"},
     {6, "Detail1", kStr, ""},
     {7, "Detail2", kStr, ""},
     {8, "Detail3", kStr, ""},
     {9, "IsAlarm", kBool, "0"},
     {10, "LastStatus", kInt, "0"},
     {11, "ResultCodeID", kInt, "0"},
     {12, "LastUserID", kInt, "0"},
     {13, "LastClientID", kInt, "0"},
     {14, "DateTimeUpdated", kDateTime, ""}},
    {{"TBL_SystemEventChanges", "SystemEventID", kDelete}}};

const TableFacts kSystemEventChanges{
    "TBL_SystemEventChanges", 9, "SystemEventChangeID", "ResultCodeID", "SystemEventChangeID", true, false, false, true,
    {{0, "SystemEventChangeID", kInt, "0"},
     {1, "SystemEventID", kInt, "0"},
     {2, "UserID", kInt, "0"},
     {3, "ClientID", kInt, "0"},
     {4, "Description", kStr, ""},
     {5, "Status", kInt, "0"},
     {6, "DateTimeChanged", kDateTime, ""},
     {7, "ToUserID", kInt, "0"},
     {8, "ResultCodeID", kInt, "0"}},
    {}};

const TableFacts kEventLog{
    "TBL_Event_Log", 4, "date", "memo", "", false, false, false, true,
    {{1, "camera_name", kStr, ""},
     {2, "event_type", kInt, "0"},
     {3, "memo", kStr, ""}},
    {}};

const TableFacts kEventTypes{
    "TBL_EventTypes", 5, "EventTypeID", "Alarm", "EventTypeID", false, false, false, false,
    {{0, "EventTypeID", kInt, "0"},
     {1, "EventCategoryID", kInt, "0"},
     {2, "Name", kStr, ""},
     {3, "Log", kBool, "1"},
     {4, "Alarm", kBool, "1"}},
    {}};

const TableFacts kResultCodes{
    "TBL_ResultCodes", 6, "ResultCodeID", "IsDeleted", "ResultCodeID", true, false, false, false,
    {{0, "ResultCodeID", kInt, "0"},
     {1, "Category", kInt, "0"},
     {2, "Name", kStr, ""},
     {3, "Detail1", kStr, ""},
     {4, "Detail2", kStr, ""},
     {5, "IsDeleted", kBool, "0"}},
    {}};

const TableFacts kRURaveProduct{
    "TBL_RURaveProduct", 4, "ProductID", "DateTimeScaned", "ProductID", true, false, false, true,
    {{0, "ProductID", kU64, "0"},
     {1, "ProcessCount", kInt, "0"},
     {2, "BarcodeCount", kInt, "0"},
     {3, "DateTimeScaned", kDateTime, ""}},
    {}};

const TableFacts kRURaveProcess{
    "TBL_RURaveProcess", 6, "ProcessID", "DateTimeScaned", "ProcessID", true, false, false, true,
    {{0, "ProcessID", kU64, "0"},
     {1, "ProductID", kU64, "0"},
     {2, "Status", kBool, "0"},
     {3, "ProcessOrder", kInt, "0"},
     {4, "DateTimeStarted", kDateTime, ""},
     {5, "DateTimeScaned", kDateTime, ""}},
    {}};

const TableFacts kRURaveBarcode{
    "TBL_RURaveBarcode", 4, "BarcodeID", "DateTimeScaned", "BarcodeID", true, false, false, true,
    {{0, "BarcodeID", kU64, "0"},
     {1, "ProductID", kU64, "0"},
     {2, "Barcode", kStr, ""},
     {3, "DateTimeScaned", kDateTime, ""}},
    {}};

const TableFacts kSmartPoliceEvents{
    "TBL_SmartPoliceEvents", 10, "SmartPoliceEventID", "LastUserID", "SmartPoliceEventID", true, false, false, true,
    {{0, "SmartPoliceEventID", kInt, "0"},
     {1, "UserID", kInt, "0"},
     {2, "ClientID", kInt, "0"},
     {3, "DeviceID", kInt, "0"},
     {4, "Message", kStr, ""},
     {5, "DateTimeReported", kDateTime, ""},
     {6, "LastStatus", kInt, "0"},
     {7, "LastMobileID", kInt, "0"},
     {8, "DateTimeCompleted", kDateTime, ""},
     {9, "LastUserID", kInt, "0"}},
    {}};

const TableFacts kSmartPoliceChanges{
    "TBL_SmartPoliceChanges", 10, "SmartPoliceChangeID", "ToDeviceID", "SmartPoliceChangeID", true, false, false, true,
    {{0, "SmartPoliceChangeID", kInt, "0"},
     {1, "SmartPoliceEventID", kInt, "0"},
     {2, "UserID", kInt, "0"},
     {3, "MobileID", kInt, "0"},
     {4, "Description", kStr, ""},
     {5, "Status", kInt, "0"},
     {6, "DateTimeChanged", kDateTime, ""},
     {7, "ToUserID", kInt, "0"},
     {8, "ToMobileID", kInt, "0"},
     {9, "ToDeviceID", kInt, "0"}},
    {}};

const TableFacts kAffiliatedInstitution{
    "TBL_AffiliatedInstitution", 2, "AffiliatedInstitutionID", "Name", "AffiliatedInstitutionID",
    true, false, false, false,
    {{0, "AffiliatedInstitutionID", kInt, "0"},
     {1, "Name", kStr, ""}},
    {}};

const TableFacts kApplications{
    "TBL_Applications", 5, "ApplicationID", "Version", "ApplicationID", true, false, false, false,
    {{0, "ApplicationID", kInt, "0"},
     {1, "ResourceID", kInt, "0"},
     {2, "ApplicationKind", kInt, "0"},
     {3, "PlatformType", kInt, "0"},
     {4, "Version", kStr, ""}},
    {}};

const TableFacts kAssetHistories{
    "TBL_AssetHistories", 8, "AssetHistoryID", "Comment", "AssetHistoryID", true, false, false, true,
    {{0, "AssetHistoryID", kInt, "0"},
     {1, "SiteID", kInt, "0"},
     {2, "CameraID", kInt, "0"},
     {3, "UserID", kInt, "0"},
     {4, "ClientID", kInt, "0"},
     {5, "ChangeType", kInt, "0"},
     {6, "DateTimeChanged", kDateTime, ""},
     {7, "Comment", kStr, ""}},
    {}};

const TableFacts kAssociations{
    "TBL_Associations", 7, "AssociationID", "Detail1", "AssociationID", true, false, false, false,
    {{0, "AssociationID", kInt, "0"},
     {1, "DeviceID", kInt, "0"},
     {2, "ZoneID", kInt, "0"},
     {3, "MarkerID", kInt, "0"},
     {4, "AssociatedDeviceID", kInt, "0"},
     {5, "Kind", kInt, "0"},
     {6, "Detail1", kStr, ""}},
    {}};

const TableFacts kDepartment{
    "TBL_Department", 2, "DepartmentID", "Name", "DepartmentID", true, false, false, false,
    {{0, "DepartmentID", kInt, "0"},
     {1, "Name", kStr, ""}},
    {}};

const TableFacts kStatute{
    "TBL_Statute", 2, "StatuteID", "Name", "StatuteID", true, false, false, false,
    {{0, "StatuteID", kInt, "0"},
     {1, "Name", kStr, ""}},
    {}};

const TableFacts kSites{
    "TBL_Sites", 5, "SiteID", "IsDeleted", "SiteID", true, false, false, false,
    {{0, "SiteID", kInt, "0"},
     {1, "Name", kStr, ""},
     {2, "Contact1", kStr, ""},
     {3, "Contact2", kStr, ""},
     {4, "IsDeleted", kBool, "0"}},
    {{"TBL_Camera", "SiteID", kSetZero},
     {"TBL_Markers", "SiteID", kDelete}}};

const TableFacts kMobiles{
    "TBL_Mobiles", 11, "MobileID", "IsDeleted", "MobileID", true, false, false, false,
    {{0, "MobileID", kInt, "0"},
     {1, "UserID", kInt, "0"},
     {2, "AppGuid", kStr, ""},
     {3, "AppKind", kInt, "0"},
     {4, "OSType", kInt, "0"},
     {5, "GCMRegID", kStr, ""},
     {6, "DateTimeLastUpdated", kDateTime, ""},
     {7, "Latitude", kDouble, "0"},
     {8, "Longitude", kDouble, "0"},
     {9, "ListenNotification", kBool, "0"},
     {10, "IsDeleted", kBool, "0"}},
    {}};

const TableFacts kListItems{
    "TBL_ListItems", 4, "ListItemID", "ItemValue", "ListItemID", true, false, false, false,
    {{0, "ListItemID", kInt, "0"},
     {1, "CategoryID", kInt, "0"},
     {2, "ItemOrder", kInt, "0"},
     {3, "ItemValue", kStr, ""}},
    {}};

const TableFacts kNetworkFilters{
    "TBL_NetworkFilters", 8, "NetworkFilterID", "FilterOrder", "NetworkFilterID", true, false, false, false,
    {{0, "NetworkFilterID", kInt, "0"},
     {1, "Name", kStr, ""},
     {2, "UserID", kInt, "0"},
     {3, "AppKind", kInt, "0"},
     {4, "StartAddress", kStr, ""},
     {5, "EndAddress", kStr, ""},
     {6, "Allow", kBool, "0"},
     {7, "FilterOrder", kInt, "0"}},
    {{"TBL_Schedules", "NetworkFilterID", kDelete}}};

const TableFacts* const kOperationsTables[] = {
    &kScheduleTasks, &kSchedules, &kScheduleWeeks, &kTimeCoverages, &kTour, &kPresets, &kWorkScheduleTemplates,
    &kWorkSchedules, &kWorkers, &kWorkScheduleMessages, &kFailovers, &kFailoverHistories, &kFailoverConnections,
    &kMaps, &kMarkers, &kMarkerResources, &kGISConfig, &kGISFavorite, &kGISCameraHistroy, &kFacilityGroup,
    &kResources, &kCustomLayouts, &kCustomLayoutCells, &kPwdCreationRule, &kPwdDevice, &kPwdLog, &kSystemEvents,
    &kSystemEventChanges, &kEventLog, &kEventTypes, &kResultCodes, &kRURaveProduct, &kRURaveProcess, &kRURaveBarcode,
    &kSmartPoliceEvents, &kSmartPoliceChanges, &kAffiliatedInstitution, &kApplications, &kAssetHistories,
    &kAssociations, &kDepartment, &kStatute, &kSites, &kMobiles, &kListItems, &kNetworkFilters};

class OperationsTableFactsTest : public ::testing::TestWithParam<const TableFacts*> {};

TEST_P(OperationsTableFactsTest, NewRowMatchesTheTable) { ExpectTableFacts(*GetParam()); }

INSTANTIATE_TEST_SUITE_P(OperationsTables, OperationsTableFactsTest, ::testing::ValuesIn(kOperationsTables),
                         TableFactsParamName);

TEST(OperationsTables, RegistryCreatesTheFinalClasses) {
  EXPECT_NE(dynamic_cast<CTBLSite*>(NewRow("TBL_Sites").get()), nullptr);
  EXPECT_NE(dynamic_cast<CTBLListItems*>(NewRow("TBL_ListItems").get()), nullptr);
  EXPECT_NE(dynamic_cast<CTBLTour*>(NewRow("TBL_Tour").get()), nullptr);
  EXPECT_NE(dynamic_cast<CTBLMap*>(NewRow("TBL_Maps").get()), nullptr);
  EXPECT_NE(dynamic_cast<ILogDetails*>(NewRow("TBL_SystemEvents").get()), nullptr);
  EXPECT_EQ(NewRow("TBL_Site"), nullptr) << "names are exact";
}

// Rows with codes no one knows or text in number columns load without
// error: what the leading digits say, 0 where none lead.
TEST(OperationsTables, NumberColumnsLoadTheirLeadingDigits) {
  for (const TableFacts* facts : kOperationsTables) {
    SCOPED_TRACE(facts->table);
    std::unique_ptr<CDBEntity> row = NewRow(facts->table);
    ASSERT_NE(row, nullptr);
    for (const CColumnValue& column : row->GetColumnValues()) {
      const int kind = column.GetKind();
      if (kind != kInt && kind != kBool && kind != kU32 && kind != kU64) continue;
      const std::string lower = StrToLower(column.GetName());
      LoadValues(*row, {{lower, "abc"}});
      EXPECT_EQ(ColumnValueText(*row, column.GetName()), "0") << column.GetName();
      LoadValues(*row, {{lower, "77 west"}});
      EXPECT_EQ(ColumnValueText(*row, column.GetName()), "77") << column.GetName();
    }
    EXPECT_FALSE(row->HasChanges());
  }
}

TEST(OperationsTables, CreationScriptHoldsEveryTable) {
  const std::string script = GetDatabaseCreationScript();
  for (const TableFacts* facts : kOperationsTables) {
    EXPECT_NE(script.find(std::string("CREATE TABLE IF NOT EXISTS `") + facts->table + "` ("), std::string::npos)
        << facts->table;
  }
}

class OperationsTablesInDatabase : public DatabaseRowTest {
 protected:
  // The stored row with the key of `row` (every row of a keyless table),
  // soft-deleted ones included, read back from the database.
  EntityMap64 Stored(const CDBEntity& row) {
    std::string clause;
    if (row.HasKeyColumn()) {
      clause = StrFormat("WHERE `%s` = %s", row.GetKeyColumnName(),
                         row.HasInt64ID() ? std::to_string(row.GetID64()).c_str()
                                          : std::to_string(row.GetID()).c_str());
    }
    EntityMap64 rows;
    service_->GetDBEntityList(row.GetTableName(), clause.c_str(), rows);
    return rows;
  }
};

// The schema the database reports: the columns in the row class's order, of
// the SQL type of their kinds, and the key filled by the database where the
// class says so.
TEST_F(OperationsTablesInDatabase, TablesHaveTheRowClassesColumnsAndTypes) {
  CDBSchema* schema = service_->GetDBSchema();
  ASSERT_NE(schema, nullptr);
  for (const TableFacts* facts : kOperationsTables) {
    SCOPED_TRACE(facts->table);
    const CTableDescriptor* descriptor = CDBEntityFactory::GetTableDescriptor(facts->table);
    const CDBTableSchema* table = schema->FindTable(facts->table);
    ASSERT_NE(descriptor, nullptr);
    ASSERT_NE(table, nullptr);
    std::vector<std::string> expected;
    std::vector<std::string> actual;
    for (size_t i = 0; i < descriptor->GetColumnCount(); ++i) {
      const CColumnDescriptor& column = descriptor->GetColumn(i);
      expected.push_back(StrToLower(column.name) + " " + StrToLower(GetColumnSqlType(column)));
      CDBColumnSchema stored;
      if (!table->GetColumn(column.name, &stored)) continue;
      // "int(11) unsigned" and the like: the type word, then its unsigned mark.
      std::string type = StrToLower(stored.GetType());
      std::string word = type.substr(0, type.find('('));
      if (word.rfind("varchar", 0) == 0) word = type.substr(0, type.find(')') + 1);
      if (type.find("unsigned") != std::string::npos) word += " unsigned";
      actual.push_back(StrToLower(column.name) + " " + word);
      if (i == 0 && descriptor->IsAutoIncrement()) EXPECT_NE(stored.GetAutoIncrement(), 0);
    }
    EXPECT_EQ(actual, expected);
    std::list<std::string> order = table->GetColumnOrder();
    std::vector<std::string> names(order.begin(), order.end());
    std::vector<std::string> expectedNames;
    for (size_t i = 0; i < descriptor->GetColumnCount(); ++i) {
      expectedNames.push_back(StrToLower(descriptor->GetColumn(i).name));
    }
    EXPECT_EQ(names, expectedNames);
  }
}

// Insert, load, update and delete of each table: every column survives, the
// update reaches the database (the keyless event log refuses it and stays as
// it was), and a delete marks the row where the table has `IsDeleted` and
// removes it elsewhere.
TEST_F(OperationsTablesInDatabase, EveryTableMakesTheRoundTrip) {
  for (const TableFacts* facts : kOperationsTables) {
    SCOPED_TRACE(facts->table);
    std::unique_ptr<CDBEntity> row = SampleRow(facts->table);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(service_->AddEntity(row.get(), 0));
    if (row->IsAutoIncrementKey()) EXPECT_NE(row->GetID64(), 0u) << "key read back";
    EntityMap64 stored = Stored(*row);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->second->GetColumnValues(), row->GetColumnValues());

    // The last column that is neither the key nor the deletion mark changes.
    std::vector<CColumnValue> columns = row->GetColumnValues();
    size_t changed = columns.size() - 1;
    while (changed > 0 && StrEqualNoCase(columns[changed].GetName(), "IsDeleted")) --changed;
    CKeyValueData update;
    update.SetValue(StrToLower(columns[changed].GetName()), SampleValue(columns[changed], changed + 1));
    row->LoadFrom(update);
    const bool keyed = row->HasKeyColumn();
    EXPECT_EQ(service_->UpdateEntity(row.get(), 0), keyed);
    stored = Stored(*row);
    ASSERT_EQ(stored.size(), 1u);
    EntityPtr current = stored.begin()->second;
    if (keyed) {
      EXPECT_EQ(current->GetColumnValues(), row->GetColumnValues());
    } else {
      EXPECT_NE(current->GetColumnValues(), row->GetColumnValues());
    }

    // A keyless row is deleted by its stored column values.
    ASSERT_TRUE(service_->DeleteEntityEx(current.get(), false, 0));
    stored = Stored(*current);
    if (ColumnValueText(*current, "IsDeleted") != "<missing>") {
      ASSERT_EQ(stored.size(), 1u);
      EXPECT_EQ(ColumnValueText(*stored.begin()->second, "IsDeleted"), "1");
    } else {
      EXPECT_TRUE(stored.empty());
    }
  }
}

}  // namespace
