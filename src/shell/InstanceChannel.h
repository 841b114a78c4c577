// How a later instance of the program reaches the running one: a lock file
// that only the first instance holds, and a local socket on which the first
// instance takes commands. A second instance started by hand sends the tray's
// show command, so the running instance's window comes to the front.
#pragma once

#include <string>

// The tray menu's command that shows the main window.
constexpr int kTrayShowCommand = 32771;

// `<program folder>/<program file name>.lock`: held by the first instance.
std::string InstanceLockPath(const std::string& programFolder, const std::string& programFileName);

// `<program folder>/<program file name>.sock`, or, when that path is too long
// for a local socket, a name made unique per program folder in
// $XDG_RUNTIME_DIR (or /tmp).
std::string InstanceChannelPath(const std::string& programFolder, const std::string& programFileName);

// Longest command text a listener needs to read.
constexpr size_t kInstanceCommandMaxLength = 32;

// The text sent for `command`: "command <number>\n".
std::string EncodeInstanceCommand(int command);

// The command number of one received text, or 0 when the text is not exactly
// what EncodeInstanceCommand writes (numbers 1 to 65535).
int DecodeInstanceCommand(const std::string& text);

// Sends `command` to the instance listening on `channelPath`. The running
// instance may still be starting, so a refused connection is tried again
// until `timeoutMs` has passed. Returns false when nobody took it.
bool SendInstanceCommand(const std::string& channelPath, int command, int timeoutMs);
