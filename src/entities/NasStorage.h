// The NAS storage row (TBL_NasStorage): a network-attached storage that a
// recording server writes to, how it is mounted and how to log in to it. The
// password is kept and written as it stands (no cipher). Deleted with its
// recording server. Older rows carry `ZavID` as "nrsid".
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_NAS_STORAGE_COLUMNS(C)                          \
  C(Int, "NasStorageID", NasStorageID, 0)                   \
  C(Int, "ZavID", ZavID, 0, column::LegacyName("nrsid"))   \
  C(String, "NasStorageName", NasStorageName, "")           \
  C(Int, "FileSystemKind", FileSystemKind, 0)               \
  C(String, "MountPath", MountPath, "")                     \
  C(String, "NasAddress", NasAddress, "")                   \
  C(String, "NasUserName", NasUserName, "")                 \
  C(String, "NasUserPassword", NasUserPassword, "")         \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLNasStorageBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLNasStorageBase, "TBL_NasStorage", TBL_NAS_STORAGE_COLUMNS, AutoIncrement, "NasStorageID",
                    kEntityNoFlags)
};

class CTBLNasStorage : public CTBLNasStorageBase {};
