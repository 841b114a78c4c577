// Sends the process logger's lines of levels 1 and 3 to a temporary file for
// the life of the object, so a test can read what a call logged.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "foundation/Log.h"
#include "support/TempDir.h"

class ProcessLogCapture {
 public:
  ProcessLogCapture() : path_(dir_.Join("log.txt")) {
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    logger_ = GetProcessLogger();
    logger_->SetDebugOutputFd(fd_);
    logger_->SetLevelFlags(1, LOG_OUTPUT_DEBUGGER);
    logger_->SetLevelFlags(CGenericLogger::kDefaultLevel, LOG_OUTPUT_DEBUGGER);
  }
  ~ProcessLogCapture() {
    logger_->SetLevelFlags(1, 0);
    logger_->SetLevelFlags(CGenericLogger::kDefaultLevel, 0);
    logger_->SetDebugOutputFd(2);
    close(fd_);
  }
  ProcessLogCapture(const ProcessLogCapture&) = delete;
  ProcessLogCapture& operator=(const ProcessLogCapture&) = delete;

  // Every line logged so far, each ending with CR LF.
  std::string Text() const { return ReadTestFile(path_); }

 private:
  TempDir dir_;
  std::string path_;
  int fd_ = -1;
  CGenericLogger* logger_ = nullptr;
};
