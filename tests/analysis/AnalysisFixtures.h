// The result texts under tests/analysis/data (and the AI engines' under
// tests/analysis/<engine>_data), read as the metadata client
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

// The bytes of <engine>_data/<name>.json ("zavai", "ogq", "sktai").
inline std::string ReadEngineFixture(const std::string& engine, const std::string& name) {
  std::string text = ReadTestFile(std::string(GATE_ANALYSIS_DATA_DIR) + "/../" + engine + "_data/" + name + ".json");
  EXPECT_FALSE(text.empty()) << "missing fixture " << engine << "/" << name;
  return text;
}
