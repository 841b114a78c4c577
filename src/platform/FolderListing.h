// Folder listings sorted by name. A directory read lists entries in no useful
// order, while callers that prune or walk files by name expect the sorted
// order: this is the one place that lists a folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
  std::string name;  // file name only, no folder
  bool isFolder = false;
};

// The entries of `folder` whose names match the shell pattern `pattern`
// (fnmatch, e.g. "*.dmp"; "" matches all), without "." and "..", sorted by name
// byte by byte. Entries that vanish while the folder is read are left out.
// Returns false (and `entries` empty) when the folder cannot be opened.
bool ListFolder(const std::string& folder, const std::string& pattern, std::vector<FolderEntry>* entries);

}  // namespace platform
