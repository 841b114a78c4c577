// The result texts under tests/analysis/data, read as the metadata client
// hands them to the reader: a writable, zero-terminated buffer.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"

// The bytes of data/<name>.json; fails the test when the file is missing.
inline std::string ReadFixture(const std::string& name) {
  std::string text = ReadTestFile(std::string(GATE_ANALYSIS_DATA_DIR) + "/" + name + ".json");
  EXPECT_FALSE(text.empty()) << "missing fixture " << name;
  return text;
}
