// A temporary program folder for one test: the path functions and the
// settings files resolve under it while the test runs.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

class ProgramFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramFolderOverride(dir_.path());
    mkdir(dir_.Join("Settings").c_str(), 0755);
  }
  void TearDown() override { platform::SetProgramFolderOverride(""); }

  static bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }
  std::string InFolder(const std::string& relative) const { return dir_.Join(relative); }

  TempDir dir_;
};
