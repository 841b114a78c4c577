// The preset row (TBL_Presets): one named preset position of a camera
// (`DeviceID`); it goes with its camera.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_PRESETS_COLUMNS(C)                        \
  C(Int, "PresetID", PresetID, 0)                     \
  C(Int, "DeviceID", DeviceID, 0)                     \
  C(String, "Name", Name, "")                         \
  C(Int, "Number", Number, 0)
// clang-format on

class CTBLPresetBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLPresetBase, "TBL_Presets", TBL_PRESETS_COLUMNS, AutoIncrement, "PresetID", kEntityNoFlags)
};

class CTBLPreset : public CTBLPresetBase {};
