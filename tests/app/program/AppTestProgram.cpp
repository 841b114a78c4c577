// The start-up and shut-down code in a program of its own, run by the shell
// tests from a temporary program folder. It stands in for the user interface:
// as the first instance it listens on the instance channel, notes every
// command it takes in "commands.txt", writes "ready" once it listens, and ends
// on SIGTERM or SIGINT. "--crash-after-start" dereferences null after start-up;
// "--settings-unwritable" makes the last write of the settings fail.
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <string>

#include "foundation/IDCreater.h"
#include "platform/AtomicFile.h"
#include "shell/InstanceChannel.h"
#include "app/TorvaneGateManagerApp.h"
#include "support/LocalListener.h"

namespace {

// Settings that turn the log on (debugger output and file) and hold jobs up to ID 41.
class CTestServices : public CStartupServicesDefaults {
 public:
  int GetDebugUseLogFile() override { return 1; }
  int GetMaxItemID() override { return 41; }
  bool SaveAppSettings(std::string* path) override {
    *path = theApp.GetProgramFolder() + "/Settings/AppSettings.xml";
    return saves;
  }
  bool saves = true;
};

__attribute__((noinline, no_sanitize("address", "undefined"))) void DereferenceNull() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

// Runs as the main window would: until SIGTERM or SIGINT.
void RunUntilSignal(const sigset_t& stopSignals) {
  std::string folder = theApp.GetProgramFolder();
  unlink(theApp.GetInstanceChannelPath().c_str());  // a socket file left by a crashed instance
  LocalListener listener(theApp.GetInstanceChannelPath());
  int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  const CAppCommandLine& line = theApp.GetCommandLine();
  int nextJobId = CIDCreater::GetInstance()->NextID("GATEMANAGER_ID");
  platform::WriteFileAtomically(folder + "/ready", "start=" + std::to_string(line.start()) +
                                                       " hide=" + std::to_string(line.hide()) +
                                                       " watchdog=" + std::to_string(line.watchdogValue()) +
                                                       " next-job-id=" + std::to_string(nextJobId) + "\n");
  std::string commands;
  for (;;) {
    pollfd fds[2] = {{signals, POLLIN, 0}, {listener.fd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[0].revents) break;
    if (fds[1].revents) {
      int command = DecodeInstanceCommand(listener.ReceiveOne(10000, kInstanceCommandMaxLength));
      commands += "command " + std::to_string(command) + "\n";
      platform::WriteFileAtomically(folder + "/commands.txt", commands);
    }
  }
  close(signals);
}

}  // namespace

int main(int argc, char** argv) {
  // Blocked before any thread exists, so that only the signal descriptor sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a test that failed hard

  CTestServices services;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--settings-unwritable") == 0) services.saves = false;
  }
  theApp.SetStartupServices(&services);
  if (theApp.InitInstance(argc, argv) == CTorvaneGateManagerApp::StartResult::kRunMainWindow) {
    for (int i = 1; i < argc; ++i) {
      if (strcmp(argv[i], "--crash-after-start") == 0) DereferenceNull();
    }
    RunUntilSignal(stopSignals);
  }
  int code = theApp.ExitInstance();
  theApp.SetStartupServices(nullptr);
  return code;
}
