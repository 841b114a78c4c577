#include "sync/DataSyncChanges.h"

#include "entities/Camera.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "sync/DeviceUserFields.h"
#include "sync/SyncDevice.h"
#include "sync/SyncEntityFactory.h"

namespace {

// Node types of the cameras that outside systems learn of.
bool IsSyncedCameraType(int nodeType) { return nodeType >= 2 && nodeType <= 5; }

// A device entity with a site code; otherwise logs and returns false.
bool CheckDeviceEntity(int jobId, const CSyncEntity& entity) {
  const auto* device = dynamic_cast<const CSyncDevice*>(&entity);
  if (device == nullptr) return true;
  if (!StrTrim(device->GetSiteCode()).empty()) return true;
  GATE_LOG(1, "INFO - '%s (%d)' device site code is empty.(%d)\r\n", device->GetName().c_str(), device->GetKey(),
           jobId);
  return false;
}

// Logs one camera change: "Added", "Modified" or "Deleted" with name, key, site code and address.
void LogDeviceChange(const char* what, const CSyncEntity& entity) {
  const auto* device = dynamic_cast<const CSyncDevice*>(&entity);
  if (device == nullptr) return;
  GATE_LOG(1, "INFO - %s '%s (%d)' / '%s' / %s\r\n", what, device->GetName().c_str(), device->GetKey(),
           device->GetSiteCode().c_str(), device->GetAddress().c_str());
}

// A clone of `entity` with Method `kind`, into `changes` under `key`.
void AddChange(SyncEntityMap* changes, int key, const CSyncEntity& entity, int kind) {
  SyncEntityPtr change = entity.Clone();
  change->SetMethodKind(kind);
  (*changes)[key] = std::move(change);
}

}  // namespace

CDataSyncChanges CompareSyncRows(IDataStore* store, const EntityMap& rows, const std::string& entityName,
                                 bool cameraJob, CDeviceUserFields* userFields, SyncEntityMap oldSnapshot,
                                 int jobId) {
  CDataSyncChanges result;
  for (const auto& [id, row] : rows) {
    SyncUserFieldValues values;
    if (cameraJob) {
      auto* camera = dynamic_cast<CTBLCamera*>(row.get());
      if (camera == nullptr || !IsSyncedCameraType(camera->GetNodeType())) continue;
      if (userFields) values = userFields->Resolve(*camera);
    }
    SyncEntityPtr entity = CSyncEntityFactory::CreateEntity(entityName);
    if (!entity) return result;
    entity->FromEntity(store, row, values);

    auto old = oldSnapshot.find(id);
    if (old == oldSnapshot.end()) {
      if (cameraJob && !CheckDeviceEntity(jobId, *entity)) continue;
      AddChange(&result.changes, id, *entity, CSyncEntity::kMethodAdd);
      if (cameraJob) LogDeviceChange("Added", *entity);
    } else {
      if (!old->second->IsEqual(*entity)) {
        if (cameraJob && !CheckDeviceEntity(jobId, *entity)) {
          oldSnapshot.erase(old);
          continue;
        }
        AddChange(&result.changes, id, *entity, CSyncEntity::kMethodUpdate);
        if (cameraJob) LogDeviceChange("Modified", *entity);
      }
      oldSnapshot.erase(old);
    }
    result.snapshot[id] = std::move(entity);
  }
  for (const auto& [key, entity] : oldSnapshot) {
    AddChange(&result.changes, key, *entity, CSyncEntity::kMethodDelete);
    if (cameraJob) LogDeviceChange("Deleted", *entity);
  }
  return result;
}
