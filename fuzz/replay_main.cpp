// Runs a fuzz target's entry point once over every file of the folders and
// files named on the command line, so that the sanitizer test build replays
// a target's corpus without libFuzzer. Exits non-zero when nothing was read.
#include <dirent.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void AddInputs(const std::string& path, std::vector<std::string>* files) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return;
  if (!S_ISDIR(info.st_mode)) {
    files->push_back(path);
    return;
  }
  DIR* folder = opendir(path.c_str());
  if (!folder) return;
  std::vector<std::string> names;
  while (dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) AddInputs(path + "/" + name, files);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) AddInputs(argv[i], &files);
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
