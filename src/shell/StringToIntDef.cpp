#include "shell/StringToIntDef.h"

#include "database/ISettingManager.h"

int StringToIntDef(const char* text, int defaultValue) {
  if (text == nullptr || *text == '\0') return defaultValue;
  return SettingTextToLong(text);
}
