// One HTTP run of a data synchronizer job: load the job's snapshot, read the
// source table from a fresh database connection, compare (DataSyncChanges.h),
// post the changes as one JSON array to the job's target and, once the target
// accepted them (status 200), save the new snapshot. Runs on the calling
// thread; blocks for the database connect (about 12 s at most) and the post
// (10 s per wait).
#pragma once

#include <string>

#include "services/ServiceSettings.h"
#include "shell/DataSynchronizerItem.h"
#include "sync/SyncDatabase.h"

class CDeviceUserFields;

// What a run takes from the application settings at Start.
struct CDataSyncSettings {
  CSyncDatabaseSettings database;
  bool skipNotify = false;    // take changes into the snapshot without posting
  CServiceSettings service;   // the enciphering of the body (EncodeEventBody)
};

// Result codes of an HTTP run, kept in the job's status.
enum DataSyncCode {
  kDataSyncOk = 0,               // no change, changes accepted (200), or taken without posting
  kDataSyncSnapshotUnreadable = 1,
  kDataSyncDatabaseFailed = 2,   // no connection, or the source table could not be read
  kDataSyncJsonFailed = 3,
  kDataSyncNoConnection = 4,     // the target could not be reached
  kDataSyncRejected = 5,         // the target answered with another status than 200
  kDataSyncNoSyncEntity = 6,     // the source table has no sync entity: the run ends unread
  kBIoTLoginFailed = 100,
  kBIoTSyncFailed = 101,
};

struct CDataSyncResult {
  int code = kDataSyncOk;
  bool accepted = false;  // changes were accepted or taken: LastDateTimeSynchronized moves
};

// Runs job `item` once. `snapshotPath` is the job's snapshot file.
CDataSyncResult RunDataSync(const CDataSynchronizerItem& item, const CDataSyncSettings& settings,
                            CDeviceUserFields* userFields, const std::string& snapshotPath);
