#include "platform/Folders.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>

namespace platform {

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolderTree(const std::string& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    std::string part = slash == std::string::npos ? path : path.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return IsFolder(path);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return entries;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry item;
    item.name = name;
    if (entry->d_type == DT_DIR) {
      item.isFolder = true;
    } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      item.isFolder = IsFolder(folder + "/" + name);
    }
    entries.push_back(std::move(item));
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace platform
