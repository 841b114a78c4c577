// The crash dumper of the first instance: from its creation on, a fatal signal
// on any thread writes `<dump folder>/<program file name>-YYYYMMDD-hhmmss.dmp`
// and ends the process by that signal. Start-up creates it once, points it at
// `<program folder>/Dump` and prunes that folder to the newest dumps.
#pragma once

#include <string>

class CMiniDumper {
 public:
  // Installs the fatal-signal handler when no dumper is registered yet (the
  // first one in the process wins; a later one changes nothing). Dumps go to
  // the program folder until SetDumpFolder. Call before other threads start.
  CMiniDumper();
  // The handler stays installed: it uses no state of this object.
  ~CMiniDumper() = default;
  CMiniDumper(const CMiniDumper&) = delete;
  CMiniDumper& operator=(const CMiniDumper&) = delete;

  // True when this dumper installed the handler.
  bool IsRegistered() const { return registered_; }

  // Folder that receives the dumps; created (one level) when a dump is due.
  // Only the registered dumper's folder counts. Call before other threads start.
  void SetDumpFolder(const std::string& folder);

 private:
  bool registered_ = false;
};

// Number of dumps that start-up keeps.
constexpr int kDumpsKept = 5;

// Deletes the `*.dmp` files of `<program folder>/Dump` except the newest
// `keep` by name (names carry a sortable time stamp). Returns how many were deleted.
int DeleteOldDumps(int keep = kDumpsKept);
