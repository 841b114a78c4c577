#include "platform/Autostart.h"

#include <cstdlib>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace platform {

namespace {

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// One argument by the quoting rules of the Exec key.
std::string QuoteArgument(const std::string& argument) {
  static const char kReserved[] = " \t\"'\\><~|&;$*?#()`";
  std::string quoted;
  if (!argument.empty() && argument.find_first_of(kReserved) == std::string::npos) {
    quoted = argument;
  } else {
    quoted = "\"";
    for (char c : argument) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
  }
  std::string escaped;
  for (char c : quoted) {
    if (c == '%') {
      escaped += "%%";
    } else if (c == '\\') {
      escaped += "\\\\";  // the string escape applies on top of the quoting rule
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// A plain string value of the file: backslashes escaped.
std::string StringValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::string GetAutostartFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/autostart";
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/.config/autostart";
  return std::string();
}

std::string DesktopExecLine(const std::string& program, const std::vector<std::string>& arguments) {
  if (HasLineBreak(program)) return std::string();
  std::string line = QuoteArgument(program);
  for (const std::string& argument : arguments) {
    if (HasLineBreak(argument)) return std::string();
    line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}

bool WriteAutostartEntry(const std::string& folder, const std::string& name, const std::string& program,
                         const std::vector<std::string>& arguments, const std::string& workingFolder) {
  if (folder.empty() || name.empty() || name.find('/') != std::string::npos || HasLineBreak(name) ||
      HasLineBreak(workingFolder)) {
    return false;
  }
  const std::string exec = DesktopExecLine(program, arguments);
  if (exec.empty() || !CreateFolderTree(folder)) return false;
  std::string text = "[Desktop Entry]\nType=Application\nName=" + StringValue(name) + "\nExec=" + exec + "\n";
  if (!workingFolder.empty()) text += "Path=" + StringValue(workingFolder) + "\n";
  text += "Terminal=false\nX-GNOME-Autostart-enabled=true\n";
  return WriteFileAtomically(folder + "/" + name + ".desktop", text);
}

}  // namespace platform
