// The resource row (TBL_Resources): one stored file of the installation's file
// store (map images, site, application, marker and user files, other and
// system files), kept under its own store file name in a folder picked by its
// kind: <base folder>/FileStore/<kind folder>/<StoreFileName>. Deleting a
// resource deletes the maps and applications drawn from it and clears the
// reference everywhere else.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RESOURCES_COLUMNS(C)                      \
  C(Int, "ResourceID", ResourceID, 0)                 \
  C(String, "Name", Name, "")                         \
  C(Int, "Kind", Kind, 0)                             \
  C(String, "FileName", FileName, "")                 \
  C(String, "StoreFileName", StoreFileName, "")       \
  C(Bool, "IsDefault", IsDefault, 0)                  \
  C(UInt64, "FileSize", FileSize, 0)                  \
  C(String, "FileHash", FileHash, "")                 \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLResourceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLResourceBase, "TBL_Resources", TBL_RESOURCES_COLUMNS, AutoIncrement, "ResourceID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Maps", "ResourceID", 0, kRelationModeDelete},
                        {"TBL_Markers", "ResourceID", 0, kRelationModeSetZero},
                        {"TBL_Applications", "ResourceID", 0, kRelationModeDelete},
                        {"TBL_Facility_Group", "ResourceID", 0, kRelationModeSetZero},
                        {"TBL_CustomLayouts", "ResourceID", 0, kRelationModeSetZero},
                        {"TBL_MarkerResources", "NormalResourceID", 0, kRelationModeSetZero},
                        {"TBL_MarkerResources", "AlarmResourceID", 0, kRelationModeSetZero},
                        {"TBL_MarkerResources", "DisableResourceID", 0, kRelationModeSetZero},
                        {"TBL_MarkerResources", "FailureResourceID", 0, kRelationModeSetZero},
                        {"TBL_UserResources", "ResourceID", 0, kRelationModeSetZero},
                        {"TBL_WorkScheduleTemplates", "ResourceID", 0, kRelationModeSetZero})
};

// Paths are texts joined with '/'; nothing here creates a folder, and only
// FileExists asks the file system. A base folder loses one trailing '/' in
// each of the two folder steps, so "E", "E/" and "E//" give the same paths.
class CTBLResource : public CTBLResourceBase {
 public:
  // `base` (one trailing '/' dropped) followed by "/FileStore". Needs no row.
  static std::string GetFileStoreFolder(const std::string& base);
  // The folder of kind `kind` under the file store of `base` (Map 1, Site 2,
  // App 3, Marker 4, User 5, Etc 6 and 7, System 10000 and 10001; "" for any
  // other kind), then "/" and `fileName` when that is not empty. Needs no row.
  static std::string GetKindFolder(int kind, const std::string& base, const std::string& fileName);
  // True when `kind` has a folder in the file store.
  static bool HasKindFolder(int kind);
  // `base` when it is not empty, else the program folder (the folder of the
  // running executable, read whole).
  static std::string ResolveBaseFolder(const std::string& base);
  // The path of this row's file: GetKindFolder of `Kind`, the resolved base
  // folder and `StoreFileName`.
  std::string GetStoreFilePath(const std::string& base) const;
  // Whether the row's file (or, with an empty store file name, its kind
  // folder) exists now; asks the file system on every call. A kind without a
  // folder answers false: its path would name an entry of the root folder.
  bool FileExists(const std::string& base) const;
};
