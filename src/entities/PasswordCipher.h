// The rule by which camera and user rows keep their login password: enciphered
// (the ARIA string cipher, Base64) in a row owned by a store, except in the
// client store when its "PasswordEncrypted" switch is off; in clear text in a
// free row.
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
