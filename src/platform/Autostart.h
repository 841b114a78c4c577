// Starting a program when the user logs on: an XDG autostart entry
// (`<config home>/autostart/<name>.desktop`), the desktop's stand-in for a
// shortcut in the Startup folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

// "$XDG_CONFIG_HOME/autostart" when that is an absolute path, else
// "$HOME/.config/autostart"; "" when neither is known.
std::string GetAutostartFolder();

// The Exec value that runs `program` with `arguments`: each argument quoted
// by the desktop-entry rules where needed, '%' doubled and backslashes
// escaped for the file. "" when an argument holds a line break.
std::string DesktopExecLine(const std::string& program, const std::vector<std::string>& arguments);

// Writes `<folder>/<name>.desktop` atomically (the folder is created when
// missing): Type=Application, Name, Exec (DesktopExecLine), Path (the working
// folder, when given). False when the name is empty or holds a '/', a text
// holds a line break, or the file cannot be written.
bool WriteAutostartEntry(const std::string& folder, const std::string& name, const std::string& program,
                         const std::vector<std::string>& arguments, const std::string& workingFolder);

}  // namespace platform
