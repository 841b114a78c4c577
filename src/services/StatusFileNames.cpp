#include "services/StatusFileNames.h"

#include <limits.h>
#include <stdlib.h>

#include "foundation/DateTimeUtil.h"
#include "foundation/FileUtil.h"
#include "foundation/StringUtil.h"
#include "net/UrlFormatter.h"

std::string StatusFileHostKey(const std::string& url) {
  CUrlFormatter formatter;
  formatter.SetUrl(url);
  std::string host = formatter.GetHost();
  for (char& c : host) {
    if (c == '.') c = '_';
  }
  return host;
}

std::string MakeUrlStatusFileName(const char* format, const std::string& url, int id) {
  return StrFormat(format, StatusFileHostKey(url).c_str(), id);
}

int StatusFileJobID(const std::string& fileName) {
  std::string stem = fileName.substr(0, fileName.rfind('.'));
  std::string last;
  size_t start = 0;
  while (start <= stem.size()) {
    size_t end = stem.find('_', start);
    if (end == std::string::npos) end = stem.size();
    if (end > start) last = stem.substr(start, end - start);
    start = end + 1;
  }
  long value = strtol(last.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::map<int, std::vector<std::string>> ListStatusFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> paths;
  FindFilesRecursive(folder, pattern, false, &paths);
  std::map<int, std::vector<std::string>> files;
  for (const std::string& path : paths) {
    std::string name;
    GetFileNamePart(path, &name);
    files[StatusFileJobID(name)].push_back(path);
  }
  return files;
}
