#include "platform/ProgramFolder.h"

#include <limits.h>
#include <unistd.h>

namespace platform {
namespace {

std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

}  // namespace

std::string GetProgramPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

std::string GetProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  std::string path = GetProgramPath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string GetProgramFileName() {
  std::string path = GetProgramPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SetProgramFolderOverride(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  FolderOverride() = f;
}

std::string ProgramPath(const std::string& relative) {
  if (!relative.empty() && relative[0] == '/') return relative;
  std::string folder = GetProgramFolder();
  if (folder.empty() || folder.back() == '/') return folder + relative;
  return folder + "/" + relative;
}

}  // namespace platform
