// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

class TempDir {
 public:
  // Creates a fresh folder under $TMPDIR (the test command points it into the build folder).
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `relative` joined to the folder.
  std::string Join(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Writes `bytes` to `path` (plain write, for fixtures). Returns false on failure.
bool WriteTestFile(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string ReadTestFile(const std::string& path);
