// CZavSysteminformation: a recording server's system information (version,
// channel and licence counts, MAC address, operating system), read from the
// path keys of its "System" / "Information" document. Keys match exactly:
// an element spelled in another case ("Mac") is absent.
#pragma once

#include <stdint.h>

#include <string>

#include "foundation/XmlCfg.h"
#include "foundation/ZavDataBase.h"

class CZavSysteminformation : public CZavDataBase {
 public:
  // Texts: the stored text, "" when absent. Numbers: 0 when absent or empty,
  // else the text as strtol reads it, clamped to 32 bits.
  void FromCfg(const CXmlCfg& cfg) override;
  // "$System$" and "$System$$Information$" (empty values), then the six keys.
  void ToCfg(CXmlCfg& cfg) const override;

  const std::string& GetVersion() const { return Version; }
  int32_t GetMaxChannel() const { return MaxChannel; }
  int32_t GetLicenseChannel() const { return LicenseChannel; }
  int32_t GetLicenseCount() const { return LicenseCount; }
  const std::string& GetMAC() const { return MAC; }
  const std::string& GetOS() const { return OS; }

  std::string Version;
  int32_t MaxChannel = 0;
  int32_t LicenseChannel = 0;
  int32_t LicenseCount = 0;
  std::string MAC;
  std::string OS;
};
