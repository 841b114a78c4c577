// The comparison at the heart of a data synchronizer run: the rows of the
// source table against the job's snapshot, giving the new snapshot and the
// changes to post, both by key. Rows enter in ascending ID order; a row
// without a snapshot entry is an "Add", a different one an "Update", a
// snapshot entry without a row a "Delete" carrying the values last sent.
//
// A camera job (source "TBL_Camera") takes only rows whose node type is Box,
// PTZ, Dome or Video Server and needs a site code: a camera without one is
// logged, neither sent nor kept; one that loses it while changing is dropped
// from the snapshot without a "Delete", so it comes back as an "Add".
#pragma once

#include <string>

#include "database/EntityMaps.h"
#include "sync/SyncEntity.h"

class CDeviceUserFields;
class IDataStore;

struct CDataSyncChanges {
  SyncEntityMap snapshot;  // every kept entity, empty Method
  SyncEntityMap changes;   // clones with Method "Add", "Update" or "Delete"
};

// `rows` are the source rows of `store` by ID; `userFields` is used for
// camera jobs only (may be null otherwise). Logs "Added", "Modified" and
// "Deleted" lines for camera jobs. `entityName` must name a sync-entity class.
CDataSyncChanges CompareSyncRows(IDataStore* store, const EntityMap& rows, const std::string& entityName,
                                 bool cameraJob, CDeviceUserFields* userFields, SyncEntityMap oldSnapshot,
                                 int jobId);
