#include "entities/LegacyColumnName.h"

void LoadWithLegacyName(CDBEntity& row, CKeyValueData& data, const char* loadName, const char* legacyName) {
  row.CDBEntity::LoadFrom(data);
  if (data.Find(loadName) || !data.Find(legacyName)) return;
  const std::string* value = data.GetValue();
  CKeyValueData alias;
  alias.SetValue(loadName, value ? *value : std::string());
  row.CDBEntity::LoadFrom(alias);
}
