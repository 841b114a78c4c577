// Starting programs and the start-up entry of the program.
#pragma once

#include <string>
#include <vector>

// Splits a command line into its arguments: blanks separate them, double
// quotes group blanks into one (the quotes are dropped) and \" inside quotes
// is a literal quote. Nothing else is interpreted: no shell is ever involved.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Formats the command line (printf rules) and starts its first argument as
// the program (searched in PATH when it holds no '/'), in the current folder.
// The show-window state has no meaning here and is ignored. With `wait`,
// returns once the program has ended (it is reaped); without, a background
// reaper collects it when it ends. False when the program could not be started.
bool RunProcess(int showState, bool wait, const char* format, ...) __attribute__((format(printf, 3, 4)));

// The folder of the user's start-up entries (XDG autostart); "" when unknown.
std::string GetStartupFolder();

// Makes `<start-up folder>/<name>.desktop` start `target` with "-start -hide"
// in `workingFolder` when the user logs on; replaces an existing entry. False
// when the folder is unknown or the entry cannot be written.
bool CreateShortcut(const std::string& target, const std::string& name, const std::string& workingFolder);
