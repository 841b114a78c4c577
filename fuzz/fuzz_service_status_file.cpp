// fuzz-libs: gate_services
// A job's status file with arbitrary bytes (a hand edit, a disk fault): the
// status reads what it can without crashing, and what it then saves reads
// back whole. The bytes also serve as a status file name, whose job ID is
// read from its last piece.
#include <stddef.h>
#include <stdint.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/AtomicFile.h"
#include "services/GuardedJobStatus.h"
#include "services/StatusFileNames.h"
#include "shell/JobItemStatus.h"

namespace {

// The scratch folder of this process, removed at exit.
struct ScratchFolder {
  std::string path = "/tmp/fuzz_service_status_" + std::to_string(getpid());
  bool made = mkdir(path.c_str(), 0700) == 0 || access(path.c_str(), W_OK) == 0;
  ~ScratchFolder() {
    unlink((path + "/AIEvent_x_Status_1.dat").c_str());
    unlink((path + "/AIEvent_x_Status_2.dat").c_str());
    rmdir(path.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  StatusFileJobID(bytes);

  static ScratchFolder scratch;
  if (!scratch.made) return 0;
  const std::string& folder = scratch.path;
  const std::string path = folder + "/AIEvent_x_Status_1.dat";
  const std::string saved = folder + "/AIEvent_x_Status_2.dat";
  if (!platform::WriteFileAtomically(path, bytes)) return 0;

  TGuardedJobStatus<CAIEventPublisherItemStatus> status(1);
  status.Load(path);
  if (!status.Save(saved)) __builtin_trap();
  TGuardedJobStatus<CAIEventPublisherItemStatus> back(0);
  if (!back.Load(saved)) __builtin_trap();
  if (back.Get().GetID() != status.Get().GetID() || back.Get().GetLastErrorCode() != status.Get().GetLastErrorCode()) {
    __builtin_trap();
  }
  return 0;
}
