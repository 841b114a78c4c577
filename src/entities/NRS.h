// The recording-server row (TBL_Zav): one recording server (ZAV) with its
// name, address and ports, and up to four external address/port pairs.
// CTBLNRSBase holds the 22 columns; CTBLNRS is the class registered for the
// table.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

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

// The recording server as the system uses it. Still to come with its
// navigation: the tree-node view, the login and substitute-address members,
// the fault state, the camera and channel lookups with their failover copies,
// and the server setting manager member.
class CTBLNRS : public CTBLNRSBase {
 public:
  // "<name> (<addr>)".
  std::string GetDisplayText() const override;
};
