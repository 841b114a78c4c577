// A database of the analysis servers (TBL_VasDatabase): name, address, port
// (4406 for a new row), login with its plain password, size, whether it
// records (1 for a new row) and an external address. Stored and returned
// unchanged; the gateway reads none of it.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_DATABASE_COLUMNS(C)                       \
  C(Int, "VasDatabaseID", VasDatabaseID, 0)               \
  C(String, "DBName", DBName, "")                         \
  C(String, "Address", Address, "")                       \
  C(Int, "Port", Port, 4406)                              \
  C(String, "LoginID", LoginID, "")                       \
  C(String, "Password", Password, "")                     \
  C(Int, "Size", Size, 0)                                 \
  C(Bool, "RecordEnable", RecordEnable, 1)                \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")         \
  C(Bool, "UseExternalAddress", UseExternalAddress, 0)    \
  C(String, "ExternalAddress", ExternalAddress, "")       \
  C(Int, "ExternalPort", ExternalPort, 0)
// clang-format on

class CTBLVasDatabaseBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasDatabaseBase, "TBL_VasDatabase", TBL_VAS_DATABASE_COLUMNS, AutoIncrement,
                    "VasDatabaseID", kEntityNoFlags)
};

class CTBLVasDatabase : public CTBLVasDatabaseBase {};
