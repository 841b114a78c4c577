#include "entities/PasswordCipher.h"

#include "database/InstallationSwitches.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/Aria.h"

bool StoresPasswordEnciphered(const CDBEntity& row) {
  IDataStore* store = GetOwnerDataStore(row);
  if (store == nullptr) return false;
  if (store->GetTypeName() != "ClientDataStore") return true;
  auto* switches = dynamic_cast<IInstallationSwitches*>(store);
  return switches != nullptr && switches->IsPasswordEncrypted() != 0;
}

std::string ClearPassword(const CDBEntity& row, const std::string& stored) {
  return StoresPasswordEnciphered(row) ? AriaDecryptString(stored) : stored;
}

std::string StoredPassword(const CDBEntity& row, const std::string& clear) {
  return StoresPasswordEnciphered(row) ? AriaEncryptString(clear) : clear;
}
