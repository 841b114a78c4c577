// The GIS settings row (TBL_GIS_Config): the geographic map view's centre,
// zoom, area and map-service keys, stored as they are.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_GIS_CONFIG_COLUMNS(C)                     \
  C(Int, "no", No, 0)                                 \
  C(Double, "latitude", Latitude, 0)                  \
  C(Double, "longitude", Longitude, 0)                \
  C(Int, "zoom_level", ZoomLevel, 0)                  \
  C(String, "area_name", AreaName, "")                \
  C(Int, "area_code", AreaCode, 0)                    \
  C(Int, "en_casting_net", EnCastingNet, 0)           \
  C(Int, "en_event", EnEvent, 0)                      \
  C(String, "map_api_key", MapApiKey, "")             \
  C(String, "local_api_key", LocalApiKey, "")         \
  C(String, "sgis_api_key", SgisApiKey, "")           \
  C(Double, "area_latitude", AreaLatitude, 0)         \
  C(Double, "area_longitude", AreaLongitude, 0)       \
  C(String, "MapUrl", MapUrl, "")
// clang-format on

class CTBLGISConfigBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLGISConfigBase, "TBL_GIS_Config", TBL_GIS_CONFIG_COLUMNS, AutoIncrement, "no",
                    kEntityNoFlags)
};

class CTBLGISConfig : public CTBLGISConfigBase {};
