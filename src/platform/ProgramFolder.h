// The program folder: the folder of the running executable, the base of every
// relative path the system uses (Settings/, Data/, Log/, Dump/, Language/).
#pragma once

#include <string>

namespace platform {

// Full path of the running executable (readlink of /proc/self/exe), or "" on failure.
std::string GetProgramPath();

// Folder of the executable without a trailing '/', or the override set for tests.
std::string GetProgramFolder();

// File name of the executable with its extension, e.g. "TorvaneGateManager".
std::string GetProgramFileName();

// Makes GetProgramFolder answer `folder` (tests run the system from a temporary
// folder). An empty text removes the override. Not thread-safe: call before
// other threads start.
void SetProgramFolderOverride(const std::string& folder);

// `relative` joined to the program folder with '/'; an absolute path is returned as given.
std::string ProgramPath(const std::string& relative);

}  // namespace platform
