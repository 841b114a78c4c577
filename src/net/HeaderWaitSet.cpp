#include "net/HeaderWaitSet.h"

#include <errno.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "foundation/Log.h"

CHeaderWaitSet::CHeaderWaitSet(size_t capacity, int headerArea)
    : capacity_(std::max<size_t>(capacity, 1)), headerArea_(headerArea), peek_(headerArea) {}

CHeaderWaitSet::~CHeaderWaitSet() {
  CloseAll();
  if (epoll_ >= 0) ::close(epoll_);
}

bool CHeaderWaitSet::Open(SOCKET listenSocket) {
  if (epoll_ < 0) epoll_ = epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) {
    GATE_LOG(1, "ERROR - epoll_create1 failed (%d).\r\n", errno);
    return false;
  }
  epoll_event event{};
  event.events = EPOLLIN;  // level-triggered: connections left unaccepted are reported again
  event.data.fd = listenSocket;
  if (epoll_ctl(epoll_, EPOLL_CTL_ADD, listenSocket, &event) != 0) {
    GATE_LOG(1, "ERROR - Cannot watch the listening socket (%d).\r\n", errno);
    return false;
  }
  listenSocket_ = listenSocket;
  return true;
}

void CHeaderWaitSet::Add(SOCKET socket, const std::string& address, unsigned short port, int timeoutMs) {
  if (waiting_.size() >= capacity_) Remove(waiting_.begin(), true);
  // Edge-triggered: every arrival of more bytes is reported once, and each
  // report peeks at everything received so far.
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
  event.data.fd = socket;
  if (epoll_ < 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, socket, &event) != 0) {
    GATE_LOG(1, "ERROR - Cannot watch the connection of %s:%hu (%d).\r\n", address.c_str(), port, errno);
    sock::Close(socket);
    return;
  }
  // Kept in deadline order: found from the back, where a new deadline belongs
  // unless the time-out was shortened meanwhile.
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto at = waiting_.end();
  while (at != waiting_.begin() && std::prev(at)->deadline > deadline) --at;
  index_[socket] = waiting_.insert(at, Waiting{Connection{socket, address, port}, deadline});
}

CHeaderWaitSet::Peek CHeaderWaitSet::Look(SOCKET socket) {
  for (;;) {
    ssize_t n = ::recv(socket, peek_.data(), peek_.size() - 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
      if (memmem(peek_.data(), n, "\r\n\r\n", 4)) return Peek::kComplete;
      if (n >= headerArea_ - 1) return Peek::kComplete;  // can never fit: the reader reports it
      return sock::PeerClosed(socket) ? Peek::kGone : Peek::kWaiting;
    }
    if (n == 0) return Peek::kGone;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Peek::kWaiting : Peek::kGone;
  }
}

void CHeaderWaitSet::Remove(Order::iterator entry, bool close) {
  SOCKET socket = entry->connection.socket;
  if (epoll_ >= 0) epoll_ctl(epoll_, EPOLL_CTL_DEL, socket, nullptr);
  index_.erase(socket);
  if (close) sock::Close(socket);
  waiting_.erase(entry);
}

void CHeaderWaitSet::Expire() {
  auto now = Clock::now();
  while (!waiting_.empty() && waiting_.front().deadline <= now) Remove(waiting_.begin(), true);
}

bool CHeaderWaitSet::Poll(int waitMs, std::vector<Connection>* ready) {
  constexpr int kEventsPerWait = 128;
  if (epoll_ < 0) return false;
  if (!waiting_.empty()) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().deadline - Clock::now()).count();
    waitMs = static_cast<int>(std::clamp<long long>(left, 0, waitMs));
  }
  epoll_event events[kEventsPerWait];
  int count = epoll_wait(epoll_, events, kEventsPerWait, waitMs);
  bool acceptable = false;
  for (int i = 0; i < count; ++i) {
    SOCKET socket = events[i].data.fd;
    if (socket == listenSocket_) {
      acceptable = true;
      continue;
    }
    auto found = index_.find(socket);
    if (found == index_.end()) continue;
    switch (Look(socket)) {
      case Peek::kWaiting:
        break;
      case Peek::kComplete:
        ready->push_back(found->second->connection);
        Remove(found->second, false);
        break;
      case Peek::kGone:
        Remove(found->second, true);
        break;
    }
  }
  Expire();
  return acceptable;
}

void CHeaderWaitSet::CloseAll() {
  while (!waiting_.empty()) Remove(waiting_.begin(), true);
}
