#include "sync/NvrTableSync.h"

#include <set>
#include <tuple>
#include <vector>

#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/NoList.h"
#include "entities/User.h"
#include "entities/UserPermission.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// True when the rows differ in a column from position `first` on; a column
// named `exempt` (any letter case) does not count.
bool RowsDiffer(const CDBEntity& a, const CDBEntity& b, size_t first, const char* exempt = nullptr) {
  const std::vector<CColumnValue> x = a.GetColumnValues();
  const std::vector<CColumnValue> y = b.GetColumnValues();
  if (x.size() != y.size()) return true;
  for (size_t i = first; i < x.size(); ++i) {
    if (exempt && StrEqualNoCase(x[i].GetName(), exempt)) continue;
    if (!(x[i] == y[i])) return true;
  }
  return false;
}

template <class Row>
std::unique_ptr<Row> CopyOf(const CDBEntity& row) {
  std::unique_ptr<CDBEntity> copy(row.Clone());
  auto* typed = dynamic_cast<Row*>(copy.get());
  if (typed == nullptr) return nullptr;
  copy.release();
  return std::unique_ptr<Row>(typed);
}

template <class Row>
std::vector<std::shared_ptr<Row>> RowsOf(IDataStore* store, const char* table) {
  std::vector<std::shared_ptr<Row>> rows;
  for (const auto& [id, row] : store->GetCachedEntityList(table)) {
    if (auto typed = std::dynamic_pointer_cast<Row>(row)) rows.push_back(typed);
  }
  return rows;
}

// `no` through `map`: the mapped number; 0 stays 0; -1 when there is none.
int Translate(const std::map<int, int>& map, int no) {
  if (no == 0) return 0;
  auto it = map.find(no);
  return it == map.end() ? -1 : it->second;
}

std::string TranslateList(const std::vector<int>& numbers, const std::map<int, int>& map) {
  std::vector<int> translated;
  for (int no : numbers) {
    auto it = map.find(no);
    if (it != map.end()) translated.push_back(it->second);
  }
  return FormatNoList(translated);
}

}  // namespace

bool CNvrTableSync::BeginWrites() {
  if (transaction_ > 0) return true;
  transaction_ = nvr_->BeginTransaction();
  if (transaction_ > 0) return true;
  // An id of 0 would send every write through the thread's own connection,
  // outside any transaction: write nothing.
  transaction_ = -1;
  GATE_LOG(1, "ERROR - Error raised when begin transaction.\r\n");
  return false;
}

bool CNvrTableSync::Add(CDBEntity* row) { return BeginWrites() && nvr_->AddEntity(row, transaction_); }

bool CNvrTableSync::Update(CDBEntity* row) { return BeginWrites() && nvr_->UpdateEntity(row, transaction_); }

bool CNvrTableSync::Delete(CDBEntity* row) {
  // The row alone: the NVR's own rows that refer to it are left as they are.
  return BeginWrites() && nvr_->GetDBDataStore()->DeleteEntity(row, transaction_);
}

int CNvrTableSync::CheckTblCameras(const CTBLNRS& server) {
  std::map<std::string, std::shared_ptr<CTBLCamera>> byName;
  std::map<int, std::shared_ptr<CTBLCamera>> stale;
  for (const auto& camera : RowsOf<CTBLCamera>(nvr_, "TBL_Camera")) {
    byName[camera->GetName()] = camera;  // ascending: the highest no stands for a name
    stale[camera->GetNo()] = camera;
  }
  auto zavs = RowsOf<CTBLNRS>(nvr_, "TBL_Zav");
  if (zavs.empty()) {
    GATE_LOG(1, "ERROR - Can't find zav data.\r\n");
    return -1;
  }
  const int nvrZav = zavs.front()->GetNo();
  int result = 0;
  std::map<std::string, int> written;  // name -> NVR no, once a central camera has taken it
  for (const auto& [no, row] : server.GetCameras()) {
    auto* source = dynamic_cast<CTBLCamera*>(row.get());
    if (source == nullptr) continue;
    auto done = written.find(source->GetName());
    if (done != written.end()) {
      // A second central camera of the same name: it maps to the row the
      // first one wrote and does not rewrite it.
      cameras_[no] = done->second;
      continue;
    }
    auto target = byName.find(source->GetName());
    if (target == byName.end()) {
      auto copy = CopyOf<CTBLCamera>(*source);
      copy->SetZavNo(nvrZav);
      if (!Add(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when add new entity. (SourceID: %d)\r\n", no);
        return -1;
      }
      cameras_[no] = copy->GetNo();
      written[source->GetName()] = copy->GetNo();
      result = 1;
      continue;
    }
    const int targetNo = target->second->GetNo();
    if (RowsDiffer(*source, *target->second, 1, "zav_no")) {
      auto copy = CopyOf<CTBLCamera>(*source);
      copy->SetZavNo(nvrZav);
      copy->SetNo(targetNo);
      if (!Update(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when update entity. (TargetID: %d)\r\n", targetNo);
        return -1;
      }
      result = 1;
    }
    cameras_[no] = targetNo;
    written[source->GetName()] = targetNo;
    stale.erase(targetNo);
  }
  for (const auto& [no, camera] : stale) {
    if (!Delete(camera.get())) {
      GATE_LOG(1, "ERROR - Error raised when delete entity. (TargetID: %d)\r\n", no);
      return -1;
    }
    result = 1;
  }
  return result;
}

int CNvrTableSync::CheckTblCameraGroups() {
  std::map<std::string, std::shared_ptr<CTBLCameraGroup>> byName;
  std::map<int, std::shared_ptr<CTBLCameraGroup>> stale;
  for (const auto& group : RowsOf<CTBLCameraGroup>(nvr_, "TBL_Camera_Group")) {
    byName[group->GetGroupName()] = group;
    stale[group->GetNo()] = group;
  }
  int result = 0;
  for (const auto& source : RowsOf<CTBLCameraGroup>(central_, "TBL_Camera_Group")) {
    auto target = byName.find(source->GetGroupName());
    if (target == byName.end()) {
      auto copy = CopyOf<CTBLCameraGroup>(*source);
      if (!Add(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when add new entity. (SourceID: %d)\r\n", source->GetNo());
        return -1;
      }
      groups_[source->GetNo()] = copy->GetNo();
      byName[source->GetGroupName()] = std::shared_ptr<CTBLCameraGroup>(std::move(copy));
      result = 1;
      continue;
    }
    const int targetNo = target->second->GetNo();
    if (RowsDiffer(*source, *target->second, 1)) {
      auto copy = CopyOf<CTBLCameraGroup>(*source);
      copy->SetNo(targetNo);
      if (!Update(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when update entity. (TargetID: %d)\r\n", targetNo);
        return -1;
      }
      result = 1;
    }
    groups_[source->GetNo()] = targetNo;
    stale.erase(targetNo);
  }
  for (const auto& [no, group] : stale) {
    if (!Delete(group.get())) {
      GATE_LOG(1, "ERROR - Error raised when delete entity. (TargetID: %d)\r\n", no);
      return -1;
    }
    result = 1;
  }
  return result;
}

int CNvrTableSync::CheckTblCameraGroupRelations() {
  using Pair = std::pair<int, int>;  // group, camera
  std::map<Pair, std::shared_ptr<CTBLCameraList>> targets;
  for (const auto& link : RowsOf<CTBLCameraList>(nvr_, "TBL_Camera_Group_Camera_List")) {
    targets[{link->GetCameraGroupNo(), link->GetCameraNo()}] = link;
  }
  std::map<Pair, std::shared_ptr<CTBLCameraList>> stale = targets;
  std::set<Pair> produced;
  int result = 0;
  for (const auto& source : RowsOf<CTBLCameraList>(central_, "TBL_Camera_Group_Camera_List")) {
    const int camera = Translate(cameras_, source->GetCameraNo());
    const int group = Translate(groups_, source->GetCameraGroupNo());
    // A link of another recording server's camera, or of a group the NVR
    // did not get, has no pair on the NVR.
    if (camera <= 0 || group <= 0) continue;
    const Pair pair{group, camera};
    if (!produced.insert(pair).second) continue;  // two central cameras of one name in one group
    auto copy = CopyOf<CTBLCameraList>(*source);
    copy->SetCameraGroupNo(group);
    copy->SetCameraNo(camera);
    auto target = targets.find(pair);
    if (target == targets.end()) {
      if (!Add(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when add new entity. (GroupID: %d, DeviceID: %d)\r\n",
                 source->GetCameraGroupNo(), source->GetCameraNo());
        return -1;
      }
      result = 1;
      continue;
    }
    if (RowsDiffer(*copy, *target->second, 2)) {
      if (!Update(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when update entity. (GroupID: %d, DeviceID: %d)\r\n", group, camera);
        return -1;
      }
      result = 1;
    }
    stale.erase(pair);
  }
  for (const auto& [pair, link] : stale) {
    if (!Delete(link.get())) {
      GATE_LOG(1, "ERROR - Error raised when delete entity. (GroupID: %d, DeviceID: %d)\r\n", pair.first,
               pair.second);
      return -1;
    }
    result = 1;
  }
  return result;
}

int CNvrTableSync::CheckTblUsers() {
  auto sources = RowsOf<CTBLUser>(central_, "TBL_User");
  auto targetRows = RowsOf<CTBLUser>(nvr_, "TBL_User");
  std::shared_ptr<CTBLUser> defaultUser;
  std::map<std::string, std::shared_ptr<CTBLUser>> byId;
  std::map<int, std::shared_ptr<CTBLUser>> stale;
  const bool centralHasDefault = !sources.empty() && sources.front()->GetNo() == 1;
  for (const auto& user : targetRows) {
    if (user->GetNo() == 1) {
      defaultUser = user;
      // User 1 stays, whatever the central users are: without it the NVR
      // could no longer be synchronized.
      if (centralHasDefault) continue;
    } else {
      stale[user->GetNo()] = user;
    }
    byId[user->GetId()] = user;
  }
  if (!defaultUser) {
    GATE_LOG(1, "ERROR - Can't find default user.\r\n");
    return -1;
  }
  int result = 0;
  for (const auto& source : sources) {
    std::shared_ptr<CTBLUser> counterpart;
    if (source->GetNo() == 1) {
      counterpart = defaultUser;
    } else if (auto it = byId.find(source->GetId()); it != byId.end()) {
      counterpart = it->second;
    }
    auto copy = CopyOf<CTBLUser>(*source);
    copy->SetCameraList(TranslateList(source->GetCameraNoList(), cameras_));
    copy->SetCameraGroupList(TranslateList(source->GetCameraGroupNoList(), groups_));
    if (!counterpart) {
      if (!Add(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when add new entity. (SourceID: %d)\r\n", source->GetNo());
        return -1;
      }
      users_[source->GetNo()] = copy->GetNo();
      result = 1;
      usersChanged_ = true;
      continue;
    }
    const int targetNo = counterpart->GetNo();
    if (RowsDiffer(*copy, *counterpart, 1)) {
      copy->SetNo(targetNo);
      if (!Update(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when update entity. (TargetID: %d)\r\n", targetNo);
        return -1;
      }
      result = 1;
      usersChanged_ = true;
    }
    users_[source->GetNo()] = targetNo;
    stale.erase(targetNo);
  }
  for (const auto& [no, user] : stale) {
    if (!Delete(user.get())) {
      GATE_LOG(1, "ERROR - Error raised when delete entity. (TargetID: %d)\r\n", no);
      return -1;
    }
    result = 1;
    usersChanged_ = true;
  }
  return result;
}

int CNvrTableSync::CheckTblUserPermissions() {
  // A permission is one user's right on one camera, group or map: all five
  // numbers name it, translated to the NVR's.
  using Key = std::tuple<int, int, int, int, int>;  // user, permission, camera, group, map
  auto keyOf = [](const CTBLUserPermission& row) {
    return Key{row.GetUserID(), row.GetPermissionID(), row.GetDeviceID(), row.GetDeviceGroupID(), row.GetMapID()};
  };
  // The NVR's rows by key, ascending: the last of a key is its counterpart,
  // any others are duplicates and go.
  std::map<Key, std::vector<std::shared_ptr<CTBLUserPermission>>> targets;
  for (const auto& row : RowsOf<CTBLUserPermission>(nvr_, "TBL_UserPermissions")) targets[keyOf(*row)].push_back(row);
  std::set<Key> produced;
  int result = 0;
  for (const auto& source : RowsOf<CTBLUserPermission>(central_, "TBL_UserPermissions")) {
    const int user = Translate(users_, source->GetUserID());
    const int camera = Translate(cameras_, source->GetDeviceID());
    const int group = Translate(groups_, source->GetDeviceGroupID());
    if (user <= 0 || camera < 0 || group < 0) continue;  // names a user, camera or group the NVR lacks
    auto copy = CopyOf<CTBLUserPermission>(*source);
    copy->SetUserID(user);
    copy->SetDeviceID(camera);
    copy->SetDeviceGroupID(group);
    const Key key = keyOf(*copy);
    auto target = targets.find(key);
    if (target == targets.end()) {
      if (produced.count(key) != 0 || !nvr_->FindCachedEntity("TBL_Permissions", source->GetPermissionID())) continue;
      if (!Add(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when add new entity. (SourceID: %d)\r\n", source->GetUserPermissionID());
        return -1;
      }
      produced.insert(key);
      result = 1;
      continue;
    }
    if (!produced.insert(key).second) continue;
    const auto& counterpart = target->second.back();
    const int targetNo = counterpart->GetUserPermissionID();
    copy->SetUserPermissionID(targetNo);
    if (RowsDiffer(*copy, *counterpart, 1)) {
      if (!Update(copy.get())) {
        GATE_LOG(1, "ERROR - Error raised when update entity. (TargetID: %d)\r\n", targetNo);
        return -1;
      }
      result = 1;
    }
  }
  for (const auto& [key, rows] : targets) {
    // Every row of a key no central permission gives, and the duplicates of one it gives.
    const size_t keep = produced.count(key) != 0 ? 1 : 0;
    for (size_t i = 0; i + keep < rows.size(); ++i) {
      if (!Delete(rows[i].get())) {
        GATE_LOG(1, "ERROR - Error raised when delete entity. (TargetID: %d)\r\n", rows[i]->GetUserPermissionID());
        return -1;
      }
      result = 1;
    }
  }
  return result;
}

std::shared_ptr<CTBLClient> CNvrTableSync::FindNvrClient(IDataStore* nvr) {
  std::shared_ptr<CTBLClient> kept;
  for (const auto& client : RowsOf<CTBLClient>(nvr, "TBL_Client")) {
    if (client->GetKind() != 1001) continue;
    if (!kept || kept->GetAccessTime() < client->GetAccessTime()) kept = client;
  }
  return kept;
}
