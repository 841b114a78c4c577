// Folder stand-ins: creating a folder with its parents and listing a folder's
// entries in name order (as NTFS lists them; readdir does not sort).
#pragma once

#include <string>
#include <vector>

namespace platform {

// Creates `path` and every missing parent (mode 0755). True when the folder
// exists afterwards.
bool CreateFolderTree(const std::string& path);

// True when `path` is an existing folder.
bool IsFolder(const std::string& path);

struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// The entries of `folder` other than "." and "..", sorted by name (byte order).
// Empty when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& folder);

}  // namespace platform
