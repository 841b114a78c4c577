// CSyncDevice ("Device"): a camera as the outside system sees it. Written as
// one JSON object whose members Key, Enable, Name, Type, Vendor, Model,
// Address, Port, ZavID, ZavAddress, ZavChannel, RTSP_URL_H, RTSP_URL_L,
// SiteCode, ManagementCode and Method are all strings; the recording-server
// members are read back from the keys "nrsid", "nrsaddress", "nrschannel".
#pragma once

#include "sync/SyncEntity.h"
#include "sync/SyncFields.h"

#define GATE_SYNC_DEVICE_FIELDS(F)                                  \
  F(Int, EntityKey, "Key", "key", 0)                                    \
  F(Bool, Enable, "Enable", "enable", false)                        \
  F(Text, Name, "Name", "name", "")                                 \
  F(Text, Type, "Type", "type", "")                                 \
  F(Text, Vendor, "Vendor", "vendor", "")                           \
  F(Text, Model, "Model", "model", "")                              \
  F(Text, Address, "Address", "address", "")                        \
  F(Int, Port, "Port", "port", 0)                                   \
  F(Int, ZavID, "ZavID", "nrsid", 0)                                \
  F(Text, ZavAddress, "ZavAddress", "nrsaddress", "")               \
  F(Int, ZavChannel, "ZavChannel", "nrschannel", -1)                \
  F(Text, RTSP_URL_H, "RTSP_URL_H", "rtsp_url_h", "")               \
  F(Text, RTSP_URL_L, "RTSP_URL_L", "rtsp_url_l", "")               \
  F(Text, SiteCode, "SiteCode", "sitecode", "")                     \
  F(Text, ManagementCode, "ManagementCode", "managementcode", "")

class CSyncDevice : public CSyncEntity {
 public:
  // From a TBL_Camera row: its columns, the user fields VENDOR and MODEL
  // where present and not empty, SITE_CODE and MANAGEMENT_CODE where present,
  // the recording server and channel that record it now (failover first), and
  // that server's address and RTSP URLs (port RtspPort when 1 or more, else
  // service_port); without that server row the three are "". Method untouched.
  void FromEntity(IDataStore* store, const EntityPtr& row, const SyncUserFieldValues& values) override;
  int GetKey() const override { return mEntityKey; }

  GATE_SYNC_ENTITY_FIELDS(CSyncDevice, "Device", GATE_SYNC_DEVICE_FIELDS)
};
