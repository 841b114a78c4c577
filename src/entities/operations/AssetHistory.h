// The asset history row (TBL_AssetHistories): one change of an installation
// asset (site, camera, user, client) with its time and comment. Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_ASSETHISTORIES_COLUMNS(C)                  \
  C(Int, "AssetHistoryID", AssetHistoryID, 0)          \
  C(Int, "SiteID", SiteID, 0)                          \
  C(Int, "CameraID", CameraID, 0)                      \
  C(Int, "UserID", UserID, 0)                          \
  C(Int, "ClientID", ClientID, 0)                      \
  C(Int, "ChangeType", ChangeType, 0)                  \
  C(DateTime, "DateTimeChanged", DateTimeChanged, "")  \
  C(String, "Comment", Comment, "")
// clang-format on

class CTBLAssetHistoryBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLAssetHistoryBase, "TBL_AssetHistories", TBL_ASSETHISTORIES_COLUMNS, AutoIncrement, "AssetHistoryID", kEntityExcludedFromCache)
};

class CTBLAssetHistory : public CTBLAssetHistoryBase {};
