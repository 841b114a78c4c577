// The snapshot file of a data synchronizer job: the JSON array of every
// entity the target accepted at the job's last successful run, ascending by
// key, each with an empty Method, in the legacy code page. A snapshot without
// entities is "[]". The file is replaced through a temporary file, flushed and
// renamed, so a crash leaves the old snapshot or the new one whole.
//
// Functions only; any thread, one caller per file at a time.
#pragma once

#include <string>

#include "sync/SyncEntity.h"

// The JSON array of the entities in key order: "[" + objects joined by ", "
// + "]"; "[]" for none.
std::string SerializeSyncEntities(const SyncEntityMap& entities);

// Reads the snapshot at `path` into `entities` (emptied first) as entities of
// class `entityName`; a later entry with the same key replaces an earlier one.
// A missing file is an empty snapshot (true, `entities` emptied). False, `entities` untouched and
// a log line, when the file cannot be read, is not a JSON array (an empty
// file included) or the class is unknown.
bool LoadSyncSnapshot(const std::string& path, const std::string& entityName, SyncEntityMap* entities);

// Replaces the snapshot at `path` with the entities. False, the old file
// untouched and a log line, when it cannot be written.
bool SaveSyncSnapshot(const std::string& path, const SyncEntityMap& entities);
