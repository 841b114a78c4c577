// Rows of older databases carry some columns under an earlier name (the
// recording-server number "ZavID" was once "nrsid"). A row class whose loader
// accepts such a name loads through LoadWithLegacyName.
#pragma once

#include "entities/base/DBEntity.h"

// The entity base's LoadFrom of `data` into `row`; then, when `data` holds no
// value under `loadName` but one under `legacyName`, that value loaded as the
// column whose load name is `loadName`. The caller holds the row lock so
// that no reader sees the row between the two loads.
void LoadWithLegacyName(CDBEntity& row, CKeyValueData& data, const char* loadName, const char* legacyName);
