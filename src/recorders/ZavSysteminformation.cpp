#include "recorders/ZavSysteminformation.h"

#include "database/ISettingManager.h"

namespace {

const char kSystem[] = "$System$";
const char kInformation[] = "$System$$Information$";

std::string Key(const char* element) { return std::string(kInformation) + "$" + element + "$"; }

int32_t Number(const CXmlCfg& cfg, const char* element) {
  const std::string& text = cfg.GetValue(Key(element));
  return text.empty() ? 0 : SettingTextToLong(text);
}

}  // namespace

void CZavSysteminformation::FromCfg(const CXmlCfg& cfg) {
  Version = cfg.GetValue(Key("Version"));
  MaxChannel = Number(cfg, "MaxChannel");
  LicenseChannel = Number(cfg, "LicenseChannel");
  LicenseCount = Number(cfg, "LicenseCount");
  MAC = cfg.GetValue(Key("MAC"));
  OS = cfg.GetValue(Key("OS"));
}

void CZavSysteminformation::ToCfg(CXmlCfg& cfg) const {
  cfg.Add(kSystem, "");
  cfg.Add(kInformation, "");
  cfg.Add(Key("Version"), Version);
  cfg.Add(Key("MaxChannel"), std::to_string(MaxChannel));
  cfg.Add(Key("LicenseChannel"), std::to_string(LicenseChannel));
  cfg.Add(Key("LicenseCount"), std::to_string(LicenseCount));
  cfg.Add(Key("MAC"), MAC);
  cfg.Add(Key("OS"), OS);
}
