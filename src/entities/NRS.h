// The recording-server row (TBL_Zav): one recording server (ZAV) with its
// name, address and ports, and up to four external address/port pairs.
// CTBLNRSBase holds the 22 columns; CTBLNRS is the class registered for the
// table.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "database/OwnerSettingManager.h"
#include "entities/FaultState.h"
#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"
#include "foundation/Lock.h"

class CLTBLZavStatus;
class CTBLCamera;
class IDataStore;

// clang-format off
#define TBL_ZAV_COLUMNS(C)                                          \
  C(Int, "no", No, 0)                                               \
  C(String, "name", Name, "")                                       \
  C(String, "addr", Addr, "")                                       \
  C(Int, "web_port", WebPort, 80)                                   \
  C(Int, "service_port", ServicePort, 554)                          \
  C(Int, "model", Model, 1)                                         \
  C(String, "streaming_type", StreamingType, "HTTP")                \
  C(Bool, "IsDeleted", IsDeleted, 0)                                \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                   \
  C(Bool, "UseExternalAddress", UseExternalAddress, 0)              \
  C(String, "ExternalAddress", ExternalAddress, "")                 \
  C(Int, "ExternalPort", ExternalPort, 0)                           \
  C(Int, "ExternalBroadcastPort", ExternalBroadcastPort, 0)         \
  C(Int, "SecureWebPort", SecureWebPort, 443)                       \
  C(Int, "RtspPort", RtspPort, 554)                                 \
  C(String, "ExternalAddress2", ExternalAddress2, "")               \
  C(Int, "ExternalPort2", ExternalPort2, 0)                         \
  C(String, "ExternalAddress3", ExternalAddress3, "")               \
  C(Int, "ExternalPort3", ExternalPort3, 0)                         \
  C(String, "ExternalAddress4", ExternalAddress4, "")               \
  C(Int, "ExternalPort4", ExternalPort4, 0)                         \
  C(Int, "DefaultAddressIndex", DefaultAddressIndex, 0)
// clang-format on

// Deleting a recording server keeps its cameras and analysis servers (their
// server number becomes 0) and deletes its failover records, server settings,
// NAS storages and live-status rows.
class CTBLNRSBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLNRSBase, "TBL_Zav", TBL_ZAV_COLUMNS, AutoIncrement, "no", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Camera", "zav_no", 0, kRelationModeSetZero},
                        {"TBL_Failovers", "ZavID", 0, kRelationModeDelete},
                        {"TBL_Failovers", "TargetZavID", 0, kRelationModeDelete},
                        {"TBL_FailoverHistories", "ZavID", 0, kRelationModeDelete},
                        {"TBL_ServerSettings", "ServerID", 0, kRelationModeDelete},
                        {"TBL_NasStorage", "ZavID", 0, kRelationModeDelete},
                        {"TBL_Vas", "ZavID", 0, kRelationModeSetZero},
                        {"LTBL_ZavStatus", "ZavID", 0, kRelationModeDelete},
                        {"LTBL_StorageStatus", "ZavID", 0, kRelationModeDelete})
};

// The recording server as the system uses it. Besides the columns it keeps a
// second copy of its store number for its tree node, the login id and
// password and the substitute address that the client store fills, its fault
// state (CFaultState), the failover copies of cameras recorded here in place
// of another server and a channel-to-camera map, both cached against the
// store's versions of TBL_Camera and TBL_FailoverConnections, and a server
// setting manager (no store, owner 0) that its own operations do not use.
//
// Locks: the row lock of the entity base guards the login members and the
// substitute address; `lock_` (re-entrant) guards both maps and both version
// sums, and while holding it the row calls into the owner store, so it always
// comes before the store's locks. CopyTo, which the store calls under its own
// locks, therefore never takes `lock_`. The fault state and the tree-node
// store number are atomic.
class CTBLNRS : public CTBLNRSBase, public IEntityTreeNode {
 public:
  CTBLNRS() = default;
  // Columns, entity state, tree-node store number, login members, substitute
  // address, fault state and a copy of the setting manager; the maps are
  // rebuilt on first use.
  CTBLNRS(const CTBLNRS& other);

  // "<name> (<addr>)".
  std::string GetDisplayText() const override;
  // The tree-node store number when it is not 0, else the entity's own.
  int GetStoreNo() const override;
  // Sets both store numbers.
  void SetStoreNo(int storeNo) override;
  // Into a target recording server: the tree-node store number, the 22
  // columns, the login id and password, the substitute address and the fault
  // state; its maps, version sums and setting manager stay.
  void CopyTo(CDBEntity* target) const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  // ---- Related rows in the owner store (empty or null for a free row) ----

  // TBL_Camera rows whose `zav_no` is this server, by key.
  EntityMap GetCameras() const;
  // TBL_FailoverConnections rows whose `ZavID` is this server, by key.
  EntityMap GetFailoverConnections() const;
  // LTBL_ZavStatus rows whose `ZavID` is this server, by key.
  EntityMap GetStatusRows() const;
  // TBL_ServerSettings rows whose `ServerID` is this server, by key.
  EntityMap GetServerSettings() const;
  // The status row with the lowest key; null when none.
  std::shared_ptr<CLTBLZavStatus> GetStatus() const;

  // Camera number to camera: the own cameras, then the failover copies (a
  // copy replaces an own camera of the same number). The copies are private
  // rows whose `zav_no` and `zav_channel` are this server and the connection's
  // channel; they are rebuilt only after a table version moved. Takes `lock_`.
  EntityMap GetAllCameras();
  // The `zav_channel` of every camera of GetAllCameras in camera-number order,
  // "%d" joined with ","; "" when none.
  std::string GetCameraChannelsText();
  // The camera on `channel` (of two, the higher camera number); null when
  // none. Holds `lock_` across the rebuild of the channel map.
  std::shared_ptr<CTBLCamera> FindCameraByChannel(int channel);
  // Brings the failover copies up to date when the owner store's version of
  // TBL_Camera or TBL_FailoverConnections has moved since the last build (or
  // none was made): for each failover connection to this server whose camera
  // is cached, a copy of the camera on the connection's server and channel;
  // none at all when the first such connection's history or its failover row
  // is gone. Nothing for a free row. Takes `lock_`, then the store's locks.
  void RebuildFailoverCameras();

  // (GetExternalAddress and GetExternalPort are the column getters.)
  // The substitute address when `addr` is "127.0.0.1" or "localhost" (any
  // letter case) and one is set, else `addr`.
  std::string GetConnectAddress() const;
  int GetConnectWebPort() const { return GetWebPort(); }
  int GetConnectSecureWebPort() const { return GetSecureWebPort(); }

  // Login and substitute address (set by the client store). Take the row lock.
  std::string GetLoginID() const;
  std::string GetLoginPassword() const;
  std::string GetSubstituteAddress() const;
  void SetLoginID(const std::string& id);
  void SetLoginPassword(const std::string& password);
  void SetSubstituteAddress(const std::string& address);

  // The connection fault seen by the status publisher: raising stamps the
  // time, a lasting fault keeps it, clearing keeps the old time.
  void SetFaultFlag(int flag) { fault_.Set(flag); }
  int GetFaultFlag() const { return fault_.GetFlag(); }
  int64_t GetFaultTime() const { return fault_.GetTime(); }
  int GetTreeNodeStoreNo() const { return treeStoreNo_.load(std::memory_order_relaxed); }
  CServerSettingManager& GetServerSettingManager() { return serverSettings_; }

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetName(); }
  int GetNodeType() override { return kNodeTypeRecordingServer; }
  int GetNodeOrder(int /*parentId*/) override { return GetNo(); }
  int GetNodeRank() override { return 100; }
  // `name`, and with flag 2 also `addr`.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  // GetCameras (own cameras only).
  EntityMap GetChildNodes() override { return GetCameras(); }
  // 1 when the fault shows (CFaultState), else 0.
  int GetNodeStatus() override;

 private:
  // The sum of the store's versions of TBL_Camera and TBL_FailoverConnections.
  static int CurrentVersionSum(IDataStore* store);
  // Both under `lock_` (each takes it).
  void RebuildFailoverCameras(IDataStore* store);
  void RebuildChannelMap(IDataStore* store);
  EntityMap CollectAllCameras(IDataStore* store);

  std::atomic<int> treeStoreNo_{0};
  CFaultState fault_;
  mutable CLock lock_;
  std::string loginId_;             // guarded by the row lock
  std::string loginPassword_;       // guarded by the row lock
  std::string substituteAddress_;   // guarded by the row lock
  int failoverVersionSum_ = 0;      // guarded by lock_
  EntityMap failoverCameras_;       // guarded by lock_; camera number -> private copy
  int channelVersionSum_ = 0;       // guarded by lock_
  std::map<int, std::shared_ptr<CTBLCamera>> channels_;  // guarded by lock_
  CServerSettingManager serverSettings_;
};
