// The client row (TBL_Client): a client program that has connected to the
// installation, with its address, kind, online flag, last access time, the
// user it is logged in as and free detail texts. A new row takes a temporary
// (negative) key from the ID source under "TBL_Client", so an unsaved client
// never shares a key with a stored one; the database replaces it on insert.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "entities/base/RowClass.h"

class CTBLUser;

// The list writes the key "clientid" and the flags "isdeleted" and
// "isonline" in lower case; their setters record and notify under "ClientID",
// "IsDeleted" and "IsOnline". `access_time` is a plain text column.
// clang-format off
#define TBL_CLIENT_COLUMNS(C)                                                                           \
  C(Int, "clientid", ClientID, 0,                                                                      \
    column::TemporaryIdFromSource | column::RecordAs("ClientID") | column::IrregularAccessor)          \
  C(String, "name", Name, "")                                                                           \
  C(String, "addr", Addr, "")                                                                           \
  C(Int, "web_port", WebPort, 80)                                                                       \
  C(String, "access_time", AccessTimeText, "", column::IrregularAccessor)                              \
  C(Int, "kind", Kind, 0)                                                                               \
  C(Bool, "isdeleted", IsDeleted, 0, column::RecordAs("IsDeleted") | column::IrregularAccessor)         \
  C(Bool, "isonline", IsOnline, 0, column::RecordAs("IsOnline") | column::IrregularAccessor)            \
  C(String, "Version", Version, "")                                                                     \
  C(Int, "UserID", UserID, 0)                                                                           \
  C(String, "KeyToken", KeyToken, "")                                                                   \
  C(String, "Detail1", Detail1, "")                                                                     \
  C(String, "Detail2", Detail2, "")                                                                     \
  C(String, "Detail3", Detail3, "")                                                                     \
  C(String, "ExternalAddress", ExternalAddress, "")                                                     \
  C(Int, "ExternalPort", ExternalPort, 0)
// clang-format on

// The `access_time` text's accessors are GetAccessTimeText/SetAccessTimeText;
// GetAccessTime reads the text as a time.
class CTBLClient : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLClient, "TBL_Client", TBL_CLIENT_COLUMNS, AutoIncrement, "ClientID", kEntityNoFlags)

  // The cached TBL_User row of `UserID`; null when `UserID` is 0, the user is
  // not cached or is no CTBLUser, or the row has no owning store. Takes the
  // store's locks.
  std::shared_ptr<CTBLUser> GetUser() const;
  // `access_time` ("yyyy-mm-dd hh:mm:ss[.ms]") as local time in seconds since
  // 1970; 0 when the text does not parse, the year is before 1900, or a
  // field is out of range or the time cannot be represented (those two logged).
  int64_t GetAccessTime() const;
  // "<addr> (<user's display text>)", or `addr` alone without a user.
  std::string GetDisplayText() const override;
};
