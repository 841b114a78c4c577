// The recording server's look-ups through its owner store: its cameras with
// the failover copies, the channel map, and its tree-node view.
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/TreeNodeText.h"
#include "entities/ZavStatus.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/FailoverHistory.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/StringUtil.h"

EntityMap CTBLNRS::GetCameras() const { return GetOwnerRelatedRows(*this, CTBLCamera::kTableName, "zav_no"); }

EntityMap CTBLNRS::GetFailoverConnections() const {
  return GetOwnerRelatedRows(*this, CTBLFailoverConnection::kTableName, "ZavID");
}

EntityMap CTBLNRS::GetStatusRows() const { return GetOwnerRelatedRows(*this, CLTBLZavStatus::kTableName, "ZavID"); }

EntityMap CTBLNRS::GetServerSettings() const {
  return GetOwnerRelatedRows(*this, "TBL_ServerSettings", "ServerID");
}

std::shared_ptr<CLTBLZavStatus> CTBLNRS::GetStatus() const { return FirstRowOf<CLTBLZavStatus>(GetStatusRows()); }

int CTBLNRS::CurrentVersionSum(IDataStore* store) {
  return store->GetTableVersion(CTBLCamera::kTableName) + store->GetTableVersion(CTBLFailoverConnection::kTableName);
}

void CTBLNRS::RebuildFailoverCameras(IDataStore* store) {
  CScopedLock hold(lock_);
  int sum = CurrentVersionSum(store);
  if (failoverVersionSum_ > 0 && failoverVersionSum_ >= sum) return;
  failoverCameras_.clear();
  bool checkedHistory = false;
  for (auto& [id, row] : GetFailoverConnections()) {
    auto connection = std::dynamic_pointer_cast<CTBLFailoverConnection>(row);
    if (!connection) continue;
    std::shared_ptr<CTBLCamera> camera = connection->GetCamera();
    if (!camera) continue;
    if (!checkedHistory) {
      // Only the first connection with a camera is checked: a failover that
      // has ended (no history, or no failover row for it) adds no camera.
      checkedHistory = true;
      std::shared_ptr<CTBLFailoverHistory> history = connection->GetFailoverHistory();
      if (!history || !history->GetFailover()) break;
    }
    auto copy = std::make_shared<CTBLCamera>();
    camera->CopyTo(copy.get());
    copy->SetZavNo(connection->GetZavID());
    copy->SetZavChannel(connection->GetZavChannel());
    copy->SetDataStore(store);
    failoverCameras_[copy->GetNo()] = copy;
  }
  failoverVersionSum_ = sum;
}

void CTBLNRS::RebuildFailoverCameras() {
  IDataStore* store = GetOwnerDataStore(*this);
  if (store != nullptr) RebuildFailoverCameras(store);
}

EntityMap CTBLNRS::CollectAllCameras(IDataStore* store) {
  EntityMap cameras;
  for (auto& [id, row] : GetCameras()) cameras[id] = row;
  CScopedLock hold(lock_);
  RebuildFailoverCameras(store);
  for (auto& [no, copy] : failoverCameras_) cameras[no] = copy;
  return cameras;
}

EntityMap CTBLNRS::GetAllCameras() {
  IDataStore* store = GetOwnerDataStore(*this);
  if (store == nullptr) return {};
  return CollectAllCameras(store);
}

std::string CTBLNRS::GetCameraChannelsText() {
  std::string text;
  for (auto& [no, row] : GetAllCameras()) {
    auto camera = std::dynamic_pointer_cast<CTBLCamera>(row);
    if (!camera) continue;
    text += StrFormat(text.empty() ? "%d" : ",%d", camera->GetZavChannel());
  }
  return text;
}

void CTBLNRS::RebuildChannelMap(IDataStore* store) {
  CScopedLock hold(lock_);
  int sum = CurrentVersionSum(store);
  if (channelVersionSum_ > 0 && channelVersionSum_ >= sum) return;
  channels_.clear();
  for (auto& [no, row] : CollectAllCameras(store)) {
    auto camera = std::dynamic_pointer_cast<CTBLCamera>(row);
    if (camera) channels_[camera->GetZavChannel()] = camera;  // the higher camera number wins
  }
  channelVersionSum_ = sum;
}

std::shared_ptr<CTBLCamera> CTBLNRS::FindCameraByChannel(int channel) {
  IDataStore* store = GetOwnerDataStore(*this);
  if (store == nullptr) return nullptr;
  CScopedLock hold(lock_);
  RebuildChannelMap(store);
  auto found = channels_.find(channel);
  return found == channels_.end() ? nullptr : found->second;
}

bool CTBLNRS::MatchesFilter(int flags, const std::string& filter) {
  if (LowerTextContains(GetName(), filter)) return true;
  return (flags & kNodeFilterAddress) != 0 && LowerTextContains(GetAddr(), filter);
}

int CTBLNRS::GetNodeStatus() { return fault_.IsShown() ? kNodeStatusFaulty : kNodeStatusNormal; }
