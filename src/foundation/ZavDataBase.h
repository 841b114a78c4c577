// CZavDataBase: a record read from and written to a path-key store
// (CXmlCfg). Servers' system-information replies fill such records; the
// record decides which keys it reads.
#pragma once

#include "foundation/XmlCfg.h"

class CZavDataBase {
 public:
  virtual ~CZavDataBase() = default;
  // Reads the record from a store filled by CXmlCfg::ToCfg.
  virtual void FromCfg(const CXmlCfg& cfg) = 0;
  // Appends the record's keys to the store.
  virtual void ToCfg(CXmlCfg& cfg) const = 0;
};
