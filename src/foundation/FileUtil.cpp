#include "foundation/FileUtil.h"

#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace {

struct Entry {
  std::string name;
  std::string path;
  bool folder;  // a real folder; a symbolic link counts as a file
};

// The entries of `folder` whose names match `pattern` (without regard to
// case), sorted by name. Empty when the folder cannot be listed.
std::vector<Entry> MatchingEntries(const std::string& folder, const std::string& pattern) {
  // "*.*" matches every name on the original platform, also names without a dot.
  const std::string effective = pattern == "*.*" ? "*" : pattern;
  std::vector<Entry> entries;
  for (const platform::FolderEntry& e : platform::ListFolder(folder)) {
    if (fnmatch(effective.c_str(), e.name.c_str(), FNM_CASEFOLD) != 0) continue;
    std::string path = folder + "/" + e.name;
    struct stat st;
    bool is_folder = lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries.push_back({e.name, std::move(path), is_folder});
  }
  return entries;
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
  for (const Entry& entry : MatchingEntries(folder, pattern)) {
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

bool CreateDirectoryPath(const std::string& path) { return platform::CreateFolderTree(path); }

void FindFilesRecursive(const std::string& folder, const std::string& pattern, bool recurse,
                        std::vector<std::string>* list) {
  std::string base = WithoutTrailingSlash(folder);
  for (const Entry& entry : MatchingEntries(base, pattern)) {
    if (!entry.folder) {
      list->push_back(entry.path);
    } else if (recurse) {
      FindFilesRecursive(entry.path, pattern, recurse, list);
    }
  }
}
