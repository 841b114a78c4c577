// The analysis-server row (TBL_Vas): one video-analysis server with its
// engine kind, name, how to reach it (address, web ports, control port,
// security, login) and a few analysis settings. CTBLVasBase holds the 19
// columns; CTBLVas, the class registered for the table, adds the login the
// adapters use, the substitute for a local-host address, the connection
// fault, the port, kind and display-name rules, the lookups of the server's
// devices (by channel too), live-status, GPU and setting rows, and its
// tree-node view.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/OwnerSettingManager.h"
#include "entities/FaultState.h"
#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"
#include "foundation/Lock.h"

class CLTBLVasStatus;
class CTBLVasDevice;

// clang-format off
#define TBL_VAS_COLUMNS(C)                                  \
  C(Int, "VasID", VasID, 0)                                 \
  C(String, "Name", Name, "")                               \
  C(Int, "Type", Type, 1)                                   \
  C(String, "User", User, "")                               \
  C(String, "Password", Password, "")                       \
  C(Int, "AuthType", AuthType, 1)                           \
  C(String, "Addr", Addr, "")                               \
  C(Int, "WebPort", WebPort, 7080)                          \
  C(Int, "SecureWebPort", SecureWebPort, 7443)              \
  C(Int, "ControlPort", ControlPort, 28999)                 \
  C(Bool, "UseSecure", UseSecure, 0)                        \
  C(Bool, "IsDeleted", IsDeleted, 0)                        \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")           \
  C(Bool, "UseExternalAddress", UseExternalAddress, 0)      \
  C(String, "ExternalAddress", ExternalAddress, "")         \
  C(Int, "ExternalPort", ExternalPort, 0)                   \
  C(Bool, "UseFR", UseFR, 0)                                \
  C(Int, "MaxAnalysisFps", MaxAnalysisFps, 1000)            \
  C(Int, "ZavID", ZavID, 0)
// clang-format on

// The engine kinds of `Type` (VasKind); any other value is kVasKindUnknown.
enum VasKind : int {
  kVasKindUnknown = 0,
  kVasKindOwn = 1,        // the installation's own analysis server
  kVasKindOgq = 2,        // OGQ Inference Server
  kVasKindZavAi = 3,      // ZAV AI Server: devices are found by their camera's channel
  kVasKindSktServer = 4,  // SKT AI Server
  kVasKindSktEdge = 5,    // SKT AI Edge
};

// Deleting a server keeps its analysis devices (their `VasID` becomes 0) and
// deletes its live-status and GPU status rows.
class CTBLVasBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasBase, "TBL_Vas", TBL_VAS_COLUMNS, AutoIncrement, "VasID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasDevice", "VasID", 0, kRelationModeSetZero},
                        {"LTBL_VasStatus", "VasID", 0, kRelationModeDelete},
                        {"LTBL_VasGPUStatus", "VasID", 0, kRelationModeDelete})
};

// The five density levels sent for a crowd-density region whose settings do
// not choose their own: 0, 1, 2, 4, 6 (the region uses elements 1 to 4).
std::vector<float> GetDefaultCrowdDensityLevels();

// Beside the columns: the login id, login password and substitute address,
// which the application's data store sets when it caches the row (read and
// written under the row lock); the connection fault (CFaultState, atomic);
// the channel map of FindVasDeviceByChannel (under `channelLock_`); the
// server's setting manager (its own lock).
//
// The copy constructor carries the login, the substitute address and the
// fault state; CopyTo carries the 19 columns, the login and the fault flag
// (not its time) and makes the target build its channel map again, since the
// copied `Type` decides the map's keys. The lookups read the owning store's
// cache and find nothing for a row without a store.
class CTBLVas : public CTBLVasBase, public IEntityTreeNode {
 public:
  CTBLVas() = default;
  CTBLVas(const CTBLVas& other);

  // "<Name> (<Addr>)", with the stored address.
  std::string GetDisplayText() const override;
  // See above. Takes both rows' row locks; never the channel lock.
  void CopyTo(CDBEntity* target) const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  std::string GetLoginID() const;
  void SetLoginID(const std::string& loginId);
  std::string GetLoginPassword() const;
  void SetLoginPassword(const std::string& password);
  std::string GetSubstituteAddress() const;
  void SetSubstituteAddress(const std::string& address);

  // The address to reach the server at: the substitute address when `Addr`
  // is "127.0.0.1" or "localhost" (any letter case) and a substitute is set,
  // else `Addr` as stored. The external address and port never count.
  std::string GetAddress() const;
  // `SecureWebPort` when `UseSecure` is not 0, else `WebPort`.
  int GetPort() const;
  // The HTTP endpoint's authentication mode for `AuthType`: 1 gives 3
  // (login in the query), 2 gives 1 (Basic), 3 gives 2 (Digest), else 0.
  int GetHttpAuthMode() const;
  // `Type` when it is 1 to 5, else 0 (VasKind).
  int GetVasKind() const;
  // The server's name for log lines: "<prefix>[<Name>_<GetAddress>:<GetPort>]"
  // with the prefix of its kind ("TorvaneVAS", "OGQ Inference Server",
  // "ZAV AI Server", "SKT AI Server", "SKT AI Edge", else "Unknown VAS").
  std::string GetDisplayName() const;

  // The connection fault seen by the status publisher: raising stamps the
  // time, a lasting fault keeps it, clearing keeps the old time.
  void SetFaultFlag(int flag) { fault_.Set(flag); }
  int GetFaultFlag() const { return fault_.GetFlag(); }
  int64_t GetFaultTime() const { return fault_.GetTime(); }

  // The cached TBL_VasDevice rows whose `VasID` is this key, by key.
  EntityMap GetVasDevices() const;
  // The device on `channel`; null when none. The key of a device is its
  // `ChannelNo`, or, for a server of kind 3, the `zav_channel` of its camera
  // (a device without a cached camera has none); of two devices with one key
  // the higher `VasDeviceID` wins. The map is built at the first lookup that
  // finds a device and kept for the row object's life (until a CopyTo into
  // the row); while it is empty every lookup builds it again. Takes
  // `channelLock_`, then the store's locks.
  std::shared_ptr<CTBLVasDevice> FindVasDeviceByChannel(int channel);
  // The `ChannelNo` of every device of GetVasDevices in key order, "%d"
  // joined with ","; "" when none.
  std::string GetChannelListText() const;

  // The cached LTBL_VasStatus rows whose `VasID` is this key, by key.
  EntityMap GetStatusRows() const;
  // The first of GetStatusRows; null when there is none.
  std::shared_ptr<CLTBLVasStatus> GetStatus() const;
  // The cached LTBL_VasGPUStatus rows whose `VasID` is this key, by key.
  EntityMap GetGPUStatusRows() const;
  // The cached TBL_VasSettings rows whose `VasID` is this key, by key.
  EntityMap GetSettings() const;
  // The server's own setting manager: made with the row, without a store and
  // with owner id 0, until its user attaches one. A copy gets a fresh one.
  CVasSettingManager& GetSettingManager() { return settingManager_; }

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetName(); }
  int GetNodeType() override { return kNodeTypeAnalysisServer; }
  int GetNodeOrder(int /*parentId*/) override { return GetVasID(); }
  int GetNodeRank() override { return 100; }
  // `Name`, and with flag 2 also `Addr`.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  EntityMap GetChildNodes() override { return GetVasDevices(); }
  // 1 when the fault shows (CFaultState: set for more than 5 seconds, or
  // stamped in the future), else 0.
  int GetNodeStatus() override;

 private:
  std::string loginId_;            // guarded by the row lock
  std::string loginPassword_;      // guarded by the row lock
  std::string substituteAddress_;  // guarded by the row lock
  CFaultState fault_;
  CLock channelLock_;
  std::map<int, std::shared_ptr<CTBLVasDevice>> channels_;  // guarded by channelLock_
  std::atomic<bool> channelsStale_{false};  // set by CopyTo; the next lookup empties the map
  CVasSettingManager settingManager_;  // guarded by its own lock
};
