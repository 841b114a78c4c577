#include "platform/FolderListing.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

namespace platform {

bool ListFolder(const std::string& folder, const std::string& pattern, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!pattern.empty() && fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat st;
      if (stat((folder + "/" + name).c_str(), &st) != 0) continue;  // vanished or a dangling link
      isFolder = S_ISDIR(st.st_mode);
    }
    entries->push_back(FolderEntry{std::move(name), isFolder});
  }
  closedir(dir);
  std::sort(entries->begin(), entries->end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}

}  // namespace platform
