// An outline point of a zone (TBL_ZonePoints). Deleted with its zone.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_ZONE_POINTS_COLUMNS(C)              \
  C(Int, "ZonePointID", ZonePointID, 0)         \
  C(Int, "ZoneID", ZoneID, 0)                   \
  C(Double, "CoordinateX", CoordinateX, 0)      \
  C(Double, "CoordinateY", CoordinateY, 0)      \
  C(Double, "CoordinateZ", CoordinateZ, 0)      \
  C(Int, "CoordinateType", CoordinateType, 0)   \
  C(Int, "PointOrder", PointOrder, 0)
// clang-format on

class CTBLZonePointBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLZonePointBase, "TBL_ZonePoints", TBL_ZONE_POINTS_COLUMNS, AutoIncrement, "ZonePointID",
                    kEntityNoFlags)
};

class CTBLZonePoint : public CTBLZonePointBase {};
