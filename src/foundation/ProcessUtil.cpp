#include "foundation/ProcessUtil.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cstdarg>
#include <cstdlib>

#include "foundation/StringUtil.h"
#include "platform/Autostart.h"
#include "platform/ProcessSpawn.h"

namespace {

// The program's path: as given when it holds a '/', else the first executable
// of that name in PATH; "" when there is none.
std::string ResolveProgram(const std::string& program) {
  if (program.empty() || program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    std::string candidate = folder + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

platform::ChildReaper& Reaper() {
  static platform::ChildReaper* reaper = new platform::ChildReaper();  // lives for the whole process
  return *reaper;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (quoted) {
      if (c == '\\' && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
        current += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      inArgument = true;
      if (c == '"') {
        quoted = true;
      } else {
        current += c;
      }
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

bool RunProcess(int, bool wait, const char* format, ...) {
  if (!format) return false;
  va_list args;
  va_start(args, format);
  const std::string commandLine = StrFormatV(format, args);
  va_end(args);
  const std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) return false;
  const std::string program = ResolveProgram(arguments[0]);
  if (program.empty()) return false;
  const pid_t pid = platform::SpawnProcess(program, arguments);
  if (pid <= 0) return false;
  if (!wait) {
    Reaper().Watch(pid);
    return true;
  }
  // Waits until the program ends, as callers that ask to wait expect; stops
  // when the child can no longer be waited for (reaped elsewhere).
  while (!platform::WaitForProcess(pid, 60000)) {
    if (waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD) break;
  }
  return true;
}

std::string GetStartupFolder() { return platform::GetAutostartFolder(); }

bool CreateShortcut(const std::string& target, const std::string& name, const std::string& workingFolder) {
  const std::string folder = GetStartupFolder();
  if (folder.empty()) return false;
  return platform::WriteAutostartEntry(folder, name, target, {"-start", "-hide"}, workingFolder);
}
