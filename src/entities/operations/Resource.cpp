#include "entities/operations/Resource.h"

#include <filesystem>
#include <system_error>

#include "platform/ProgramFolder.h"

namespace {

// The base folder without one trailing separator.
std::string DropOneSeparator(const std::string& base) {
  if (!base.empty() && base.back() == '/') return base.substr(0, base.size() - 1);
  return base;
}

const char* KindFolderName(int kind) {
  switch (kind) {
    case 1:
      return "Map";
    case 2:
      return "Site";
    case 3:
      return "App";
    case 4:
      return "Marker";
    case 5:
      return "User";
    case 6:
    case 7:
      return "Etc";
    case 10000:
    case 10001:
      return "System";
    default:
      return nullptr;
  }
}

}  // namespace

std::string CTBLResource::GetFileStoreFolder(const std::string& base) {
  return DropOneSeparator(base) + "/FileStore";
}

bool CTBLResource::HasKindFolder(int kind) { return KindFolderName(kind) != nullptr; }

std::string CTBLResource::GetKindFolder(int kind, const std::string& base, const std::string& fileName) {
  std::string path;
  if (const char* folder = KindFolderName(kind)) path = GetFileStoreFolder(DropOneSeparator(base)) + "/" + folder;
  if (!fileName.empty()) path += "/" + fileName;
  return path;
}

std::string CTBLResource::ResolveBaseFolder(const std::string& base) {
  return base.empty() ? platform::GetProgramFolder() : base;
}

std::string CTBLResource::GetStoreFilePath(const std::string& base) const {
  return GetKindFolder(GetKind(), ResolveBaseFolder(base), GetStoreFileName());
}

bool CTBLResource::FileExists(const std::string& base) const {
  if (!HasKindFolder(GetKind())) return false;
  std::error_code error;
  return std::filesystem::exists(GetStoreFilePath(base), error);
}

GATE_REGISTER_ENTITY(CTBLResource);
