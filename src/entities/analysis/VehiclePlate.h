// A detected licence plate (TBL_VehiclePlates). Not cached; deleting it
// deletes its image rows.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VEHICLE_PLATES_COLUMNS(C)                     \
  C(Int, "VehiclePlateID", VehiclePlateID, 0)             \
  C(Int, "DeviceID", DeviceID, 0)                         \
  C(Int, "UserID", UserID, 0)                             \
  C(Int, "ClientID", ClientID, 0)                         \
  C(String, "PlateNumber", PlateNumber, "")               \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")
// clang-format on

class CTBLVehiclePlateBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVehiclePlateBase, "TBL_VehiclePlates", TBL_VEHICLE_PLATES_COLUMNS, AutoIncrement, "VehiclePlateID",
                    kEntityExcludedFromCache)
  GATE_ENTITY_RELATIONS({"TBL_VehiclePlateImages", "VehiclePlateID", 0, kRelationModeDelete})
};

class CTBLVehiclePlate : public CTBLVehiclePlateBase {};
