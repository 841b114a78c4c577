// The rule by which camera and user rows keep their login password: enciphered
// (the ARIA string cipher, Base64) in a row owned by a store, except in the
// client store when its "PasswordEncrypted" switch is off; in clear text in a
// free row.
//
// The rule is deliberately the wide one: a row of the database store (or any
// store that is not the client store) always holds its password enciphered,
// whatever the switch says. Callers that read only "the client store with its
// switch on enciphers" get the same answer there, and the database store's
// rows, which reach the database as they are, are never written in clear.
#pragma once

#include <string>

class CDBEntity;

// True when `row` holds its password enciphered: it has an owner store whose
// type name is not "ClientDataStore", or is that store with its password
// switch on.
bool StoresPasswordEnciphered(const CDBEntity& row);
// The clear text of a stored password under that rule ("" when an enciphered
// text does not decipher).
std::string ClearPassword(const CDBEntity& row, const std::string& stored);
// The stored form of a clear password under that rule.
std::string StoredPassword(const CDBEntity& row, const std::string& clear);
