// The GIS favourite row (TBL_GIS_Favorite): a named map position of a map
// (`MapID`); it goes with its map.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_GIS_FAVORITE_COLUMNS(C)                   \
  C(Int, "no", No, 0)                                 \
  C(String, "name", Name, "")                         \
  C(Double, "latitude", Latitude, 0)                  \
  C(Double, "longitude", Longitude, 0)                \
  C(Int, "zoom", Zoom, 0)                             \
  C(Int, "MapID", MapID, 0)
// clang-format on

class CTBLGISFavoriteBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLGISFavoriteBase, "TBL_GIS_Favorite", TBL_GIS_FAVORITE_COLUMNS, AutoIncrement, "no",
                    kEntityNoFlags)
};

class CTBLGISFavorite : public CTBLGISFavoriteBase {};
