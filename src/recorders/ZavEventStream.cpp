#include "recorders/ZavEventStream.h"

void CZavEventStream::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  ZAV_WRITE_FIELDS(ZAV_EVENT_STREAM_FIELDS)
  CSerializationInfo* status = node.GetOrAddChild();
  status->SetName("Status");
  TotalStatus_.Serialize(*status->GetOrAddChild());
  CSerializationInfo* channels = status->GetOrAddChild()->AppendSibling();
  channels->SetName("ChannelStatus");
  CSerializationInfo* item = nullptr;
  for (const auto& entry : ChannelStatuses_) {
    item = item ? item->AppendSibling() : channels->GetOrAddChild();
    entry.second.Serialize(*item);
  }
  RecordStatus_.Serialize(*status->AppendSibling());
  ZavGroupWriter groups(node, status);
  ZAV_WRITE_INNER_FIELDS(ZAV_EVENT_STREAM_LISTS)
  ZAV_WRITE_GROUP_FIELDS(ZAV_EVENT_STREAM_TRIGGERS)
}

void CZavEventStream::Deserialize(const CSerializationInfo& node) {
  if (!ZavIsNamed(node, GetTypeName())) return;
  ZAV_READ_FIELDS(ZAV_EVENT_STREAM_FIELDS)
  for (const CSerializationInfo* group = node.GetFirstChild(); group; group = group->GetNextSibling()) {
    const CSerializationInfo& child = *group;
    if (ZavIsNamed(child, "Status")) {
      for (const CSerializationInfo* part = child.GetFirstChild(); part; part = part->GetNextSibling()) {
        if (ZavIsNamed(*part, "TotalStatus")) {
          TotalStatus_.Deserialize(*part);
        } else if (ZavIsNamed(*part, "ChannelStatus")) {
          for (const CSerializationInfo* item = part->GetFirstChild(); item; item = item->GetNextSibling()) {
            CZavChannelStatus channel;
            channel.Deserialize(*item);
            if (channel.GetChannel() > 0) ChannelStatuses_[channel.GetChannel()] = channel;
          }
        }
      }
    } else if (ZavIsNamed(child, "Record")) {
      RecordStatus_.Deserialize(child);
    } else {
      ZAV_READ_INNER_FIELDS(ZAV_EVENT_STREAM_LISTS)
      ZAV_READ_GROUP_FIELDS(ZAV_EVENT_STREAM_TRIGGERS)
    }
  }
}
