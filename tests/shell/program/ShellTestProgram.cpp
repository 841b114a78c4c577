// The start-up and shut-down code in a program of its own, run by the shell
// tests from a temporary program folder. It stands in for the user interface:
// as the first instance it listens on the instance channel, notes every
// command it takes in "commands.txt", writes "ready" once it listens, and ends
// on SIGTERM or SIGINT. "--crash-after-start" dereferences null after start-up.
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

#include "platform/AtomicFile.h"
#include "shell/InstanceChannel.h"
#include "shell/TorvaneGateManagerApp.h"

namespace {

// Settings that turn the log on (debugger output and file); nothing else to load.
class CLoggingServices : public IStartupServices {
 public:
  void LoadHiddenSettings() override {}
  int GetDebugUseLogFile() override { return 1; }
  void LoadAppSettings(const std::string&) override {}
  std::string GetUILanguage() override { return "Auto"; }
  int GetMaxItemID() override { return 0; }
  void ClearLanguageTexts() override {}
  int LoadLanguageTexts(const std::string&, const std::string&, bool, int) override { return 0; }
  void SetCurrentID(const std::string&, int) override {}
  void ReleaseIdSource() override {}
};

__attribute__((noinline, no_sanitize("address", "undefined"))) void DereferenceNull() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

int Listen(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  unlink(path.c_str());  // a socket file left by a crashed instance
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(fd, 8) != 0) return -1;
  return fd;
}

std::string ReadCommand(int listener) {
  int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return "";
  std::string text;
  char buffer[kInstanceCommandMaxLength];
  while (text.size() < kInstanceCommandMaxLength) {
    pollfd p = {client, POLLIN, 0};
    if (poll(&p, 1, 10000) != 1) break;
    ssize_t n = read(client, buffer, sizeof(buffer));
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(client);
  return text;
}

// Runs as the main window would: until SIGTERM or SIGINT.
void RunUntilSignal(const sigset_t& stopSignals) {
  std::string folder = theApp.GetProgramFolder();
  int listener = Listen(theApp.GetInstanceChannelPath());
  int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  const CAppCommandLine& line = theApp.GetCommandLine();
  platform::WriteFileAtomically(folder + "/ready", "start=" + std::to_string(line.start()) +
                                                       " hide=" + std::to_string(line.hide()) +
                                                       " watchdog=" + std::to_string(line.watchdogValue()) + "\n");
  std::string commands;
  for (;;) {
    pollfd fds[2] = {{signals, POLLIN, 0}, {listener, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[0].revents) break;
    if (fds[1].revents) {
      commands += "command " + std::to_string(DecodeInstanceCommand(ReadCommand(listener))) + "\n";
      platform::WriteFileAtomically(folder + "/commands.txt", commands);
    }
  }
  close(signals);
  close(listener);
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

  CLoggingServices services;
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
