// CFileLog: the event server's record of a log file: the open file and five
// texts naming it. Nothing writes through it; it only owns the file, which it
// closes when reset or destroyed. Not guarded: it belongs to its holder.
#pragma once

#include <stdio.h>

#include <string>

class CFileLog {
 public:
  CFileLog() = default;
  // Closes the file when it is open.
  virtual ~CFileLog();
  CFileLog(const CFileLog&) = delete;
  CFileLog& operator=(const CFileLog&) = delete;

  // Closes the file when it is open and empties the five texts.
  void Reset();

  FILE* file = nullptr;  // owned
  std::string folder;
  std::string prefix;
  std::string fileName;
  std::string date;  // yyyymmdd of the open file
  std::string path;
};
