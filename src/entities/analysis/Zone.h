// An area drawn on a map (TBL_Zones): colours, border, font, shape, kind,
// order and an optional target zone. Deleted with its map, and with the zone
// it targets; deleting it deletes its points, settings and associations and
// every zone that targets it (the store's visited set ends a ring).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_ZONES_COLUMNS(C)                    \
  C(Int, "ZoneID", ZoneID, 0)                   \
  C(Int, "MapID", MapID, 0)                     \
  C(String, "Name", Name, "")                   \
  C(Int, "CriteriaWidth", CriteriaWidth, 0)     \
  C(Int, "CriteriaHeight", CriteriaHeight, 0)   \
  C(UInt32, "NormalColor", NormalColor, 0)      \
  C(UInt32, "AlarmColor", AlarmColor, 0)        \
  C(Int, "BorderSize", BorderSize, 0)           \
  C(Int, "Opacity", Opacity, 0)                 \
  C(Int, "FontSize", FontSize, 0)               \
  C(Int, "ShapeKind", ShapeKind, 0)             \
  C(Int, "ZoneKind", ZoneKind, 0)               \
  C(Int, "ZoneOrder", ZoneOrder, 0)             \
  C(Bool, "Enabled", Enabled, 1)                \
  C(Int, "TargetZoneID", TargetZoneID, 0)       \
  C(Bool, "Visibled", Visibled, 1)
// clang-format on

class CTBLZoneBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLZoneBase, "TBL_Zones", TBL_ZONES_COLUMNS, AutoIncrement, "ZoneID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_ZonePoints", "ZoneID", 0, kRelationModeDelete},
                        {"TBL_ZoneSettings", "ZoneID", 0, kRelationModeDelete},
                        {"TBL_Associations", "ZoneID", 0, kRelationModeDelete},
                        {"TBL_Zones", "TargetZoneID", 0, kRelationModeDelete})
};

class CTBLZone : public CTBLZoneBase {};
