#include "shell/LocalOptionPageSettings.h"

bool CLocalOptionPageSettings::Load(const std::string& path) {
  CScopedLock hold(GetLock());
  loaded_ = CLocalSettings::Load(path);
  return loaded_;
}

bool CLocalOptionPageSettings::Save(const std::string& path) {
  CScopedLock hold(GetLock());
  if (!loaded_ && GetValueCount() == 0) return true;
  return CLocalSettings::Save(path);
}

bool CLocalOptionPageSettings::IsPageVisible(const std::string& key) {
  CScopedLock hold(GetLock());
  bool fallback = key != kVuzorMetroEvent && !loaded_;
  return GetBool(0, key, fallback);
}

bool CLocalOptionPageSettings::IsLoaded() {
  CScopedLock hold(GetLock());
  return loaded_;
}
