// A program run from a temporary program folder of its own, the way it runs
// when installed: tests start it (and later instances of it), signal it and
// wait for its end. Whatever still runs when the object goes is killed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class ProgramUnderTest {
 public:
  // Puts `binary` into `folder` as `name`: a hard link, which keeps the
  // program's own folder and name, or a copy where links cannot be made.
  ProgramUnderTest(const std::string& binary, const std::string& folder, const std::string& name);
  ~ProgramUnderTest();
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  bool ok() const { return ok_; }
  // Full path of the program in its folder.
  const std::string& path() const { return path_; }

  // Starts the program with `args` (after its own path). Returns its pid, or -1.
  pid_t Start(const std::vector<std::string>& args = {});
  // Waits at most `timeoutMs` for `pid` to end; its wait status, or -1.
  int WaitForEnd(pid_t pid, int timeoutMs = 120000);

 private:
  std::string path_;
  bool ok_ = false;
  std::vector<pid_t> running_;
};

// "exit code N", "signal N": a wait status for failure messages.
std::string DescribeWaitStatus(int status);

// True when `status` is a normal end with exit code 0.
bool EndedCleanly(int status);

// Polls `condition` every 10 ms for at most `timeoutMs`; true once it holds.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 120000);

// True when `path` exists (any kind of file).
bool PathExists(const std::string& path);
