// CVasTotalClient ("TotalClient"): the client totals of an analysis server's status
// document, as the server's texts. A plain value.
#pragma once

#include "foundation/RecordFields.h"

#define VAS_TOTAL_CLIENT_FIELDS(F) \
  F(RecordText, Meta)              \
  F(RecordText, Status)

class CVasTotalClient : public CSerializable {
 public:
  const char* GetTypeName() const override { return "TotalClient"; }
  RECORD_FLAT_SERIALIZATION(VAS_TOTAL_CLIENT_FIELDS)

  RECORD_DECLARE_FIELDS(VAS_TOTAL_CLIENT_FIELDS)
};
