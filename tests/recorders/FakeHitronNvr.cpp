#include "FakeHitronNvr.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include "net/Sock.h"

namespace {

// Waits up to 100 ms for `fd` to be readable; false on time-out.
bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 100) > 0;
}

void PutWord(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

FakeHitronNvr::FakeHitronNvr(std::vector<Step> script) : script_(std::move(script)) {
  listener_ = sock::Listen(0, htonl(INADDR_LOOPBACK));
  port_ = sock::GetLocalPort(listener_);
  thread_ = std::thread([this] { Serve(); });
}

FakeHitronNvr::~FakeHitronNvr() {
  stop_ = true;
  thread_.join();
  if (connection_ >= 0) close(connection_);
  if (listener_ >= 0) close(listener_);
}

std::vector<std::string> FakeHitronNvr::Requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return requests_;
}

std::string FakeHitronNvr::Reply(uint32_t type, const std::string& payload) {
  return Reply(type, static_cast<uint32_t>(payload.size()), payload);
}

std::string FakeHitronNvr::Reply(uint32_t type, uint32_t announcedLength, const std::string& payload) {
  std::string out;
  PutWord(&out, type);
  PutWord(&out, announcedLength);
  out.append(28, '\0');
  return out + payload;
}

void FakeHitronNvr::Serve() {
  while (!stop_ && !Readable(listener_)) {
  }
  if (stop_) return;
  int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  connection_ = fd;
  for (const Step& step : script_) {
    std::string request;
    while (request.size() < step.requestBytes && !stop_) {
      if (!Readable(fd)) continue;
      char chunk[4096];
      ssize_t n = recv(fd, chunk, std::min(sizeof(chunk), step.requestBytes - request.size()), 0);
      if (n <= 0) break;
      request.append(chunk, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> hold(mutex_);
      requests_.push_back(request);
    }
    if (request.size() < step.requestBytes) return;
    size_t sent = 0;
    while (sent < step.reply.size() && !stop_) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      ssize_t n = send(fd, step.reply.data() + sent, step.reply.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && errno != EAGAIN) return;
      if (n > 0) sent += static_cast<size_t>(n);
    }
    if (step.closeAfter) {
      connection_ = -1;
      close(fd);
      return;
    }
  }
  // Silent until the client closes or the fake ends.
  char sink[256];
  while (!stop_) {
    if (Readable(fd) && recv(fd, sink, sizeof(sink), 0) <= 0) return;
  }
}
