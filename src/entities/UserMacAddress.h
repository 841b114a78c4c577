// A device address of a user (TBL_UserMacAddress): IP address, MAC address
// and device name. Deleted with its user.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_USER_MAC_ADDRESS_COLUMNS(C)                   \
  C(Int, "UserMacAddressID", UserMacAddressID, 0)         \
  C(Int, "UserID", UserID, 0)                             \
  C(Int, "Status", Status, 0)                             \
  C(String, "IPAddress", IPAddress, "")                   \
  C(String, "MacAddress", MacAddress, "")                 \
  C(String, "DeviceName", DeviceName, "")                 \
  C(String, "Description", Description, "")               \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")
// clang-format on

class CTBLUserMacAddressBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLUserMacAddressBase, "TBL_UserMacAddress", TBL_USER_MAC_ADDRESS_COLUMNS, AutoIncrement,
                    "UserMacAddressID", kEntityNoFlags)
};

class CTBLUserMacAddress : public CTBLUserMacAddressBase {};
