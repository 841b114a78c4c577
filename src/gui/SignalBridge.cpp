#include "gui/SignalBridge.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

int g_fds[2] = {-1, -1};

void HandleSignal(int sig) {
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(sig);
  ssize_t ignored = write(g_fds[0], &byte, 1);
  (void)ignored;
  errno = saved;
}

}  // namespace

SignalBridge::SignalBridge(std::initializer_list<int> signalNumbers, std::function<void(int)> onSignal,
                           QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) return;
  notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SignalBridge::OnReadable);
  for (int sig : signalNumbers) {
    struct sigaction action = {};
    action.sa_handler = HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
  }
  ok_ = true;
}

SignalBridge::~SignalBridge() {
  if (g_fds[0] >= 0) {
    close(g_fds[0]);
    close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
  }
}

void SignalBridge::OnReadable() {
  unsigned char byte;
  while (read(g_fds[1], &byte, 1) == 1) {
    if (onSignal_) onSignal_(byte);
  }
}
