#include "services/DMEventData.h"

#include <strings.h>

#include "shell/UtcTimeText.h"

void CDMEventData::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  WriteFields(node);
  if (cameraUrls_.empty()) return;
  CSerializationInfo* camera = node.GetOrAddChild();
  camera->SetName("camera");
  for (const std::string& url : cameraUrls_) camera->AddValue("url", url);
}

void CDMEventData::Deserialize(const CSerializationInfo& node) {
  ReadFields(node);
  cameraUrls_.clear();
  // The JSON reader orders children by member name, so "camera" need not be
  // the first child ("DateTimeRaised":null sorts before it).
  for (const CSerializationInfo* child = node.GetFirstChild(); child; child = child->GetNextSibling()) {
    if (strcasecmp(child->GetName().c_str(), "camera") != 0) continue;
    for (const auto& value : child->GetOrderedValues()) cameraUrls_.push_back(value.second);
    break;
  }
}

void CDMEventData::SetReceivedTime(int64_t nowSeconds) { receivedTime_ = FormatUtcTimeText(nowSeconds); }

bool CDMEventData::IsReceivedWithin(int seconds, int64_t nowSeconds) const {
  int64_t received = 0;
  if (!ParseUtcTimeText(receivedTime_, &received)) return true;
  return nowSeconds < received || nowSeconds - received <= seconds;
}

std::string CDMEventData::GetRaisedTimeText() const {
  std::string text = FormatUtcTimeText(UtcTimeTextToTimeOrZero(GetDateTimeRaised()));
  return text.empty() ? FormatUtcTimeText(0) : text;
}

std::string CDMEventData::GetDuplicateKey() const { return GetTrainNo() + "_" + std::to_string(GetCarNo()); }
