#include "analysis/VasStatusStream.h"

namespace {

// The first child of `node` named `name` (any letter case), or null.
const CSerializationInfo* FindChild(const CSerializationInfo& node, const char* name) {
  for (const CSerializationInfo* child = node.GetFirstChild(); child; child = child->GetNextSibling()) {
    if (RecordIsNamed(*child, name)) return child;
  }
  return nullptr;
}

// Appends a child named `name` after `previous` (or as the first child).
CSerializationInfo* AddChild(CSerializationInfo& node, CSerializationInfo* previous, const char* name) {
  CSerializationInfo* child = previous ? previous->AppendSibling() : node.GetOrAddChild();
  child->SetName(name);
  return child;
}

}  // namespace

void CVasStatusStream::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  RECORD_WRITE_FIELDS(VAS_STATUS_STREAM_FIELDS)
  CSerializationInfo* status = AddChild(node, nullptr, "Status");
  CSerializationInfo* total = status->GetOrAddChild();
  totalStatus_.Serialize(*total);
  CSerializationInfo* channels = AddChild(*status, total, "ChannelStatus");
  CSerializationInfo* item = nullptr;
  for (const auto& entry : channels_) {
    item = item ? item->AppendSibling() : channels->GetOrAddChild();
    entry.second.Serialize(*item);
  }
  CSerializationInfo* client = AddChild(node, status, "Client");
  totalClient_.Serialize(*client->GetOrAddChild());
  CSerializationInfo* analysis = AddChild(node, client, "Analysis");
  totalAnalysis_.Serialize(*analysis->GetOrAddChild());
}

void CVasStatusStream::Deserialize(const CSerializationInfo& node) {
  if (!RecordIsNamed(node, GetTypeName())) return;
  RECORD_READ_FIELDS(VAS_STATUS_STREAM_FIELDS)
  totalAnalysis_.SetAnalysisPresent(0);
  for (const CSerializationInfo* child = node.GetFirstChild(); child; child = child->GetNextSibling()) {
    if (RecordIsNamed(*child, "Status")) {
      if (const CSerializationInfo* total = FindChild(*child, "TotalStatus")) totalStatus_.Deserialize(*total);
      if (const CSerializationInfo* list = FindChild(*child, "ChannelStatus")) {
        for (const CSerializationInfo* item = list->GetFirstChild(); item; item = item->GetNextSibling()) {
          CVasChannelStatus channel;
          channel.Deserialize(*item);
          if (channel.GetChannel() > 0) channels_[channel.GetChannel()] = channel;
        }
      }
    } else if (RecordIsNamed(*child, "Client")) {
      if (const CSerializationInfo* client = FindChild(*child, "TotalClient")) totalClient_.Deserialize(*client);
    } else if (RecordIsNamed(*child, "Analysis")) {
      if (const CSerializationInfo* analysis = FindChild(*child, "TotalAnalysis")) {
        totalAnalysis_.Deserialize(*analysis);
      }
      totalAnalysis_.SetAnalysisPresent(1);
    }
  }
  // An empty "Analysis" element is read as a value, not as a child node.
  if (node.IndexOf("analysis") >= 0) totalAnalysis_.SetAnalysisPresent(1);
}
