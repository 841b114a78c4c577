#include "foundation/FileUtil.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/AtomicFile.h"

namespace {

struct Entry {
  std::string name;
  std::string path;
  bool folder;
};

// The entries of `folder` (without "." and "..") whose names match
// `pattern`, sorted by name. False when the folder cannot be listed.
bool ListFolder(const std::string& folder, const std::string& pattern, std::vector<Entry>* entries) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  // "*.*" matches every name on the original platform, also names without a dot.
  const std::string effective = pattern == "*.*" ? "*" : pattern;
  while (dirent* d = readdir(dir)) {
    std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(effective.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    std::string path = folder + "/" + name;
    struct stat st;
    bool is_folder = lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries->push_back({name, path, is_folder});
  }
  closedir(dir);
  std::sort(entries->begin(), entries->end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

bool ReadFileBytes(const std::string& path, void* buffer, size_t length) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  size_t done = 0;
  char* out = static_cast<char*>(buffer);
  while (done < length) {
    ssize_t n = read(fd, out + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  return done == length;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  if (GetFileLength(path) < 1) return false;
  std::string bytes;
  if (!platform::ReadWholeFile(path, &bytes) || bytes.empty()) return false;
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  text->swap(bytes);
  return true;
}

int64_t GetFileLength(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), R_OK) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

int WalkFolder(const std::string& folder, const WalkFolderCallback& callback, void* user,
               const std::string& pattern, bool recurse) {
  std::vector<Entry> entries;
  if (!ListFolder(folder, pattern, &entries)) return 1;
  for (const Entry& entry : entries) {
    struct stat st;
    if (lstat(entry.path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) {
      chmod(entry.path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }
    int result;
    if (entry.folder) {
      if (recurse) WalkFolder(entry.path, callback, user, pattern, recurse);
      result = callback(entry.path, entry.name, kWalkFolder, user);
    } else {
      result = callback(entry.path, entry.name, kWalkFile, user);
    }
    if (result == 0) return 0;
  }
  return 1;
}

int AddFileToList(const std::string& path, const std::string& /*name*/, int kind, void* list) {
  if (kind == kWalkFile) static_cast<std::vector<std::string>*>(list)->push_back(path);
  return 1;
}

bool CreateDirectoryPath(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);  // an existing folder is fine
  }
  mkdir(path.c_str(), 0755);
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void FindFilesRecursive(const std::string& folder, const std::string& pattern, bool recurse,
                        std::vector<std::string>* list) {
  std::string base = WithoutTrailingSlash(folder);
  std::vector<Entry> entries;
  if (!ListFolder(base, pattern, &entries)) return;
  for (const Entry& entry : entries) {
    if (!entry.folder) {
      list->push_back(entry.path);
    } else if (recurse) {
      FindFilesRecursive(entry.path, pattern, recurse, list);
    }
  }
}
