// The camera row (TBL_Camera): one camera or other video device of the
// installation with its recording server and channel, address and login, five
// stream descriptions, event topics, map position, PTZ access, twenty user
// fields, windowing and feature switches. CTBLCameraBase holds the 116 columns;
// CTBLCamera, the class registered for the table, adds the fault state and
// the tree-node store number.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "database/OwnerSettingManager.h"
#include "entities/FaultState.h"
#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

class CTBLCameraList;
class CTBLNRS;

// clang-format off
#define TBL_CAMERA_COLUMNS(C)                                   \
  C(Int, "no", No, 0)                                           \
  C(Bool, "enable", Enable, 1)                                  \
  C(String, "model_type", ModelType, "")                        \
  C(String, "device_type", DeviceType, "")                      \
  C(String, "name", Name, "")                                   \
  C(String, "vendor", Vendor, "")                               \
  C(String, "model_name", ModelName, "")                        \
  C(Int, "zav_no", ZavNo, -1)                                   \
  C(Int, "zav_channel", ZavChannel, -1)                         \
  C(String, "addr", Addr, "")                                   \
  C(String, "id", Id, "")                                       \
  C(String, "password", Password, "")                           \
  C(Int, "web_port", WebPort, 0)                                \
  C(Int, "service_port", ServicePort, 0)                        \
  C(Int, "protocol", Protocol, 0)                               \
  C(String, "stream1_token", Stream1Token, "")                  \
  C(String, "stream1_url", Stream1Url, "")                      \
  C(Int, "stream1_port", Stream1Port, 554)                      \
  C(String, "stream1_video_codec", Stream1VideoCodec, "")       \
  C(String, "stream1_resolution", Stream1Resolution, "")        \
  C(String, "stream2_token", Stream2Token, "")                  \
  C(String, "stream2_url", Stream2Url, "")                      \
  C(Int, "stream2_port", Stream2Port, 554)                      \
  C(String, "stream2_video_codec", Stream2VideoCodec, "")       \
  C(String, "stream2_resolution", Stream2Resolution, "")        \
  C(String, "stream3_token", Stream3Token, "")                  \
  C(String, "stream3_url", Stream3Url, "")                      \
  C(Int, "stream3_port", Stream3Port, 554)                      \
  C(String, "stream3_video_codec", Stream3VideoCodec, "")       \
  C(String, "stream3_resolution", Stream3Resolution, "")        \
  C(String, "stream4_token", Stream4Token, "")                  \
  C(String, "stream4_url", Stream4Url, "")                      \
  C(Int, "stream4_port", Stream4Port, 554)                      \
  C(String, "stream4_video_codec", Stream4VideoCodec, "")       \
  C(String, "stream4_resolution", Stream4Resolution, "")        \
  C(String, "stream5_token", Stream5Token, "")                  \
  C(String, "stream5_url", Stream5Url, "")                      \
  C(Int, "stream5_port", Stream5Port, 554)                      \
  C(String, "stream5_video_codec", Stream5VideoCodec, "")       \
  C(String, "stream5_resolution", Stream5Resolution, "")        \
  C(String, "high_res_url", HighResUrl, "")                     \
  C(String, "low_res_url", LowResUrl, "")                       \
  C(Int, "cont_rec_stream", ContRecStream, 0)                   \
  C(Int, "event_rec_stream", EventRecStream, 0)                 \
  C(String, "event1_topic_item", Event1TopicItem, "")           \
  C(String, "event2_topic_item", Event2TopicItem, "")           \
  C(String, "event3_topic_item", Event3TopicItem, "")           \
  C(String, "event4_topic_item", Event4TopicItem, "")           \
  C(String, "event5_topic_item", Event5TopicItem, "")           \
  C(String, "event6_topic_item", Event6TopicItem, "")           \
  C(String, "event7_topic_item", Event7TopicItem, "")           \
  C(String, "event8_topic_item", Event8TopicItem, "")           \
  C(String, "event9_topic_item", Event9TopicItem, "")           \
  C(String, "event10_topic_item", Event10TopicItem, "")         \
  C(String, "motion_topic", MotionTopic, "")                    \
  C(String, "alarm_topic", AlarmTopic, "")                      \
  C(String, "user1_topic", User1Topic, "")                      \
  C(String, "user2_topic", User2Topic, "")                      \
  C(Int, "gis_facility_group", GisFacilityGroup, 1)             \
  C(String, "gis_latitude", GisLatitude, "")                    \
  C(String, "gis_longitude", GisLongitude, "")                  \
  C(String, "gis_casting_net", GisCastingNet, "")               \
  C(Bool, "use_ptz_server", UsePtzServer, 0)                    \
  C(String, "ptz_protocol", PtzProtocol, "")                    \
  C(String, "ptz_addr", PtzAddr, "")                            \
  C(Int, "ptz_port", PtzPort, 0)                                \
  C(String, "ptz_id", PtzId, "")                                \
  C(String, "ptz_pw", PtzPw, "")                                \
  C(String, "ptz_url", PtzUrl, "")                              \
  C(Int, "sub_channel", SubChannel, 1)                          \
  C(Int, "_order_", Order, -1)                                  \
  C(String, "user1", User1, "")                                 \
  C(String, "user2", User2, "")                                 \
  C(String, "user3", User3, "")                                 \
  C(String, "user4", User4, "")                                 \
  C(String, "user5", User5, "")                                 \
  C(String, "user6", User6, "")                                 \
  C(String, "user7", User7, "")                                 \
  C(String, "user8", User8, "")                                 \
  C(String, "user9", User9, "")                                 \
  C(String, "user10", User10, "")                               \
  C(String, "user11", User11, "")                               \
  C(String, "user12", User12, "")                               \
  C(String, "user13", User13, "")                               \
  C(String, "user14", User14, "")                               \
  C(String, "user15", User15, "")                               \
  C(String, "user16", User16, "")                               \
  C(String, "user17", User17, "")                               \
  C(String, "user18", User18, "")                               \
  C(String, "user19", User19, "")                               \
  C(String, "user20", User20, "")                               \
  C(Bool, "use_windowing", UseWindowing, 0)                     \
  C(Int, "windowing_bps", WindowingBps, 2000)                   \
  C(Int, "windowing_stream_no", WindowingStreamNo, 1)           \
  C(Int, "windowing_dx", WindowingDx, 0)                        \
  C(Int, "windowing_dy", WindowingDy, 0)                        \
  C(Int, "windowing_dw", WindowingDw, 0)                        \
  C(Int, "windowing_dh", WindowingDh, 0)                        \
  C(Int, "windowing_ix", WindowingIx, 0)                        \
  C(Int, "windowing_iy", WindowingIy, 0)                        \
  C(Int, "windowing_iw", WindowingIw, 0)                        \
  C(Int, "windowing_ih", WindowingIh, 0)                        \
  C(Int, "rotate_degree", RotateDegree, 0)                      \
  C(String, "mobile_url", MobileUrl, "")                        \
  C(Bool, "IsDeleted", IsDeleted, 0)                            \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")               \
  C(Int, "SiteID", SiteID, 0)                                   \
  C(Bool, "MotionEnabled", MotionEnabled, 1)                    \
  C(Bool, "AlarmEnabled", AlarmEnabled, 1)                      \
  C(Bool, "MetaEnabled", MetaEnabled, 0)                        \
  C(Bool, "DynConnEnabled", DynConnEnabled, 0)                  \
  C(String, "AuxStreamUrl", AuxStreamUrl, "")                   \
  C(Bool, "DynamicSwitching", DynamicSwitching, 0)              \
  C(String, "ChannelName", ChannelName, "")                     \
  C(Bool, "AudioEnabled", AudioEnabled, 0)                      \
  C(Int, "PTZControl", PTZControl, 0)
// clang-format on

// Deleting a camera deletes the rows of every table that names it.
class CTBLCameraBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCameraBase, "TBL_Camera", TBL_CAMERA_COLUMNS, AutoIncrement, "no", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Camera_Group_Camera_List", "camera_no", 0, kRelationModeDelete},
                        {"TBL_Record_Schedule", "camera_no", 0, kRelationModeDelete},
                        {"TBL_Tour", "camera_no", 0, kRelationModeDelete},
                        {"TBL_Associations", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_Associations", "AssociatedDeviceID", 0, kRelationModeDelete},
                        {"TBL_VideoAnalysisSettings", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_Markers", "CameraID", 0, kRelationModeDelete},
                        {"TBL_DeviceSettings", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_UserPermissions", "DeviceID", 0, kRelationModeDelete},
                        {"LTBL_DeviceStatus", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_Presets", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_GIS_Camera_Histroy", "camera_no", 0, kRelationModeDelete},
                        {"TBL_VasDevice", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_PwdDevice", "DeviceNo", 0, kRelationModeDelete},
                        {"TBL_ObjectCounts", "DeviceID", 0, kRelationModeDelete},
                        {"TBL_DeviceServerChanges", "DeviceID", 0, kRelationModeDelete})
};

// The camera as the system uses it. Besides the columns it keeps a second copy
// of its store number for its tree node, its stream-fault state (CFaultState)
// and a device setting manager (no owner, no store); copies of the row carry
// them along.
//
// Navigation reads only the cache of the store that owns the row
// (TBLCameraNavigation.cpp); a free row finds nothing. Rows handed out are the
// cached rows themselves. No operation takes a lock of the row beyond the
// column accessors' own; look-ups run under the store's locks.
class CTBLCamera : public CTBLCameraBase, public IEntityTreeNode {
 public:
  CTBLCamera() = default;
  // Columns, entity state (see CDBEntity), tree-node store number, fault
  // state and device setting manager of `other`.
  CTBLCamera(const CTBLCamera& other);

  // A copy of `name`.
  std::string GetDisplayText() const override { return GetName(); }
  // Sets the entity's store number and the tree-node store number.
  void SetStoreNo(int storeNo) override;
  // The columns, then the tree-node store number and the fault state, into a
  // target camera; no change record, no notification.
  void CopyTo(CDBEntity* target) const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  // The login password in clear text: deciphered when the row keeps it
  // enciphered (see PasswordCipher.h), else the column as stored.
  std::string GetPassword() const override;
  // Stores the clear text, enciphered under the same rule, through the
  // change-recording setter of `password`.
  void SetPassword(const std::string& clearText) override;

  // Records whether the camera's streams fail: an unchanged flag does nothing;
  // raising it stamps the current time; clearing it keeps the old time.
  void SetStreamFailure(int failing) { fault_.Set(failing); }
  // The fault flag (0 or 1) and the time it was last raised (0 when never).
  int GetStreamFailure() const { return fault_.GetFlag(); }
  int64_t GetFaultTime() const { return fault_.GetTime(); }
  // The store number kept for the tree node.
  int GetTreeNodeStoreNo() const { return treeStoreNo_.load(std::memory_order_relaxed); }
  // The camera's device setting manager (its own lock).
  CDeviceSettingManager& GetDeviceSettingManager() { return deviceSettings_; }

  // ---- Related rows in the owner store (empty or null for a free row) ----

  // The cached recording server of `zav_no`; null for 0, when it is not
  // cached or is no CTBLNRS.
  std::shared_ptr<CTBLNRS> GetZav() const;
  // TBL_FailoverConnections rows whose `DeviceID` is this camera, by key.
  EntityMap GetFailoverConnections() const;
  // TBL_DeviceSettings rows whose `DeviceID` is this camera, by key.
  EntityMap GetDeviceSettings() const;
  // TBL_Camera_Group_Camera_List rows of this camera, by hidden row id.
  EntityMap GetCameraLinks() const;
  // Group number to group: the cached groups of the links, the first link to
  // a group counting; links to groups not cached are left out.
  EntityMap GetCameraGroups() const;
  // The first link (by hidden row id) into group `groupNo`; null when none.
  std::shared_ptr<CTBLCameraList> FindCameraLink(int groupNo) const;
  // True when the camera has at least one link.
  bool IsInAnyGroup() const;

  // The recording server and channel that record the camera now: those of its
  // failover connection with the lowest key, else `zav_no` / `zav_channel`.
  int GetCurrentZavNo() const;
  int GetCurrentZavChannel() const;
  // True when `PTZControl` is above 0, or, with `PTZControl` 0, when
  // `device_type` is "PTZ" or "Video Server" in any letter case. The kind of
  // device is read from `device_type` only, here and in GetNodeType;
  // `model_type` plays no part in either, even where a caller speaks of the
  // camera's "model type" for its kind.
  bool IsPTZCapable() const;
  // A copy of user field `index` + 1 (0 gives `user1`, 19 `user20`); "" for
  // an index outside 0 to 19 (the index comes from an operator-edited file).
  std::string GetUserField(int index) const;

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetName(); }
  // From `device_type` (any letter case; never `model_type`): PTZ 3, Dome 4,
  // Video Server 5, Box 2, NVR 6, VANVR 7, ZMS 8; anything else 15 off a
  // recording server (`zav_no` 0 or less), 0 on one.
  int GetNodeType() override;
  // The `_order_` of the link into group `parentId` when it is above 0 and the
  // link exists, else the camera's own `_order_`.
  int GetNodeOrder(int parentId) override;
  int GetNodeRank() override { return 200; }
  // `name`; with flag 2 also `addr`; with flag 4 also `model_name`, `vendor`.
  bool MatchesFilter(int flags, const std::string& filter) override;
  // GetCameraGroups.
  EntityMap GetParentNodes() override { return GetCameraGroups(); }
  EntityMap GetChildNodes() override { return {}; }
  // The recording server's status when it is not normal; else 2 when the
  // camera is disabled; else 1 when its fault shows (CFaultState), else 0.
  int GetNodeStatus() override;

 private:
  std::atomic<int> treeStoreNo_{0};
  CFaultState fault_;
  CDeviceSettingManager deviceSettings_;
};
