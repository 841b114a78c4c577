// A named setting of a zone (TBL_ZoneSettings) in the category/key/value
// shape of the other settings tables; ISettingEntity (reached by a cast, not
// through GetInterface) has the zone as owner. Deleted with its zone.
#pragma once

#include "database/SettingRows.h"

// clang-format off
#define TBL_ZONE_SETTINGS_COLUMNS(C) \
  GATE_OWNER_SETTING_COLUMNS_(C, "ZoneSettingID", ZoneSettingID, "ZoneID", ZoneID)
// clang-format on

GATE_OWNER_SETTING_ROW_(ZoneSetting, "TBL_ZoneSettings", TBL_ZONE_SETTINGS_COLUMNS, "ZoneSettingID", ZoneID)
