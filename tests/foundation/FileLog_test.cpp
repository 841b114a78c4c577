#include "foundation/FileLog.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

// The record owns its file: a reset or its end closes it, and a reset empties
// the texts. Closing is seen through the stream's buffered bytes reaching the file.
TEST(FileLogTest, ResetAndDestructionCloseTheFile) {
  TempDir dir;
  const std::string path = dir.Join("log.txt");
  {
    CFileLog log;
    log.file = fopen(path.c_str(), "w");
    ASSERT_NE(log.file, nullptr);
    log.folder = dir.path();
    log.prefix = "EVT";
    log.fileName = "log.txt";
    log.date = "20240131";
    log.path = path;
    fputs("one", log.file);
    log.Reset();
    EXPECT_EQ(log.file, nullptr);
    EXPECT_EQ(log.folder + log.prefix + log.fileName + log.date + log.path, "");
    EXPECT_EQ(ReadTestFile(path), "one");
    log.file = fopen(path.c_str(), "a");
    ASSERT_NE(log.file, nullptr);
    fputs("two", log.file);
  }
  EXPECT_EQ(ReadTestFile(path), "onetwo");
}

}  // namespace
