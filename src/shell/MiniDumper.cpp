#include "shell/MiniDumper.h"

#include "platform/CrashDumpWriter.h"
#include "platform/ProgramFolder.h"

CMiniDumper::CMiniDumper() {
  registered_ = platform::InstallCrashDumpWriter(platform::GetProgramFolder(), platform::GetProgramFileName());
}

void CMiniDumper::SetDumpFolder(const std::string& folder) {
  if (registered_) platform::SetCrashDumpFolder(folder);
}

int DeleteOldDumps(int keep) {
  return static_cast<int>(platform::PruneCrashDumps(platform::ProgramPath("Dump"), keep < 0 ? 0 : keep));
}
