// CZavRecordStatus ("Record"): the recording state of a recording server:
// the channels that record, panic recording, and the recorder's error, loop
// count, buffer use and current file. Three groups below the record's node:
// "TotalRecord", "PanicRecord", "RecordStatus". A plain value; no lock.
#pragma once

#include <vector>

#include "recorders/ZavRecordFields.h"

#define ZAV_RECORD_STATUS_FIELDS(G)                                      \
  G(TotalRecord, ZavText, Channels, TotalRecordChannels)                 \
  G(PanicRecord, ZavFlag, AllChannelConfigured, AllChannelConfigured)    \
  G(PanicRecord, ZavText, Channels, PanicRecordChannels)                 \
  G(RecordStatus, ZavInt, Error, Error)                                  \
  G(RecordStatus, ZavUInt, LoopCount, LoopCount)                         \
  G(RecordStatus, ZavFloat, BufferUsingRate, BufferUsingRate)            \
  G(RecordStatus, ZavText, Path, Path)                                   \
  G(RecordStatus, ZavText, FilePosition, FilePosition)                   \
  G(RecordStatus, ZavText, FileSize, FileSize)                           \
  G(RecordStatus, ZavText, WriteTime, WriteTime)

class CZavRecordStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "Record"; }
  // Names the node "Record" and writes the three groups as child nodes.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was; each group present
  // sets its fields (absent values to defaults); absent groups change nothing.
  void Deserialize(const CSerializationInfo& node) override;

  // The channel numbers of TotalRecordChannels / PanicRecordChannels.
  std::vector<int32_t> GetRecordChannelList() const { return ZavChannelList(TotalRecordChannels_); }
  std::vector<int32_t> GetPanicRecordChannelList() const { return ZavChannelList(PanicRecordChannels_); }

  ZAV_DECLARE_GROUP_FIELDS(ZAV_RECORD_STATUS_FIELDS)
};
