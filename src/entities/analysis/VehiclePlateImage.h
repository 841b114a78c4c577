// An image file of a plate detection (TBL_VehiclePlateImages). Not cached;
// deleted with its detection.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VEHICLE_PLATE_IMAGES_COLUMNS(C)               \
  C(Int, "VehiclePlateImageID", VehiclePlateImageID, 0)   \
  C(Int, "VehiclePlateID", VehiclePlateID, 0)             \
  C(String, "FileName", FileName, "")                     \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")
// clang-format on

class CTBLVehiclePlateImageBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVehiclePlateImageBase, "TBL_VehiclePlateImages", TBL_VEHICLE_PLATE_IMAGES_COLUMNS, AutoIncrement, "VehiclePlateImageID",
                    kEntityExcludedFromCache)
};

class CTBLVehiclePlateImage : public CTBLVehiclePlateImageBase {};
