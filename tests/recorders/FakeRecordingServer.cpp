#include "FakeRecordingServer.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "net/Sock.h"

namespace {

bool ReadableWithin(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0;
}

}  // namespace

FakeRecordingServer::FakeRecordingServer(Script script) : script_(std::move(script)) {
  listener_ = sock::Listen(0, htonl(INADDR_LOOPBACK));
  port_ = sock::GetLocalPort(listener_);
  acceptor_ = std::thread([this] { Accept(); });
}

FakeRecordingServer::~FakeRecordingServer() {
  stop_ = true;
  acceptor_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    threads.swap(threads_);
  }
  for (std::thread& t : threads) t.join();
  if (listener_ >= 0) close(listener_);
}

std::vector<std::string> FakeRecordingServer::Requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return requests_;
}

int FakeRecordingServer::StreamRequests() const {
  int count = 0;
  for (const std::string& r : Requests()) {
    if (r.find("/stream/event.cgi") != std::string::npos || r.find("/record/storage.cgi") != std::string::npos) {
      ++count;
    }
  }
  return count;
}

void FakeRecordingServer::SetOnRequest(std::function<void(const std::string&)> onRequest) {
  std::lock_guard<std::mutex> hold(mutex_);
  onRequest_ = std::move(onRequest);
}

std::string FakeRecordingServer::Part(const std::string& body) {
  return "--1234567890\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         body + "\r\n";
}

void FakeRecordingServer::Accept() {
  while (!stop_) {
    if (!ReadableWithin(listener_, 50)) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> hold(mutex_);
    threads_.emplace_back([this, fd] { Serve(fd); });
  }
}

bool FakeRecordingServer::SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size() && !stop_) {
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN) return false;
    if (n > 0) sent += static_cast<size_t>(n);
  }
  return sent == bytes.size();
}

bool FakeRecordingServer::Pause(int fd, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stop_ && std::chrono::steady_clock::now() < end) {
    if (ReadableWithin(fd, 20)) {
      char sink[256];
      if (recv(fd, sink, sizeof(sink), 0) <= 0) return false;
    }
  }
  return !stop_;
}

void FakeRecordingServer::Serve(int fd) {
  std::string request;
  size_t headerEnd = std::string::npos;
  while (!stop_ && headerEnd == std::string::npos) {
    if (!ReadableWithin(fd, 50)) continue;
    char chunk[4096];
    ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    request.append(chunk, static_cast<size_t>(n));
    headerEnd = request.find("\r\n\r\n");
  }
  if (headerEnd == std::string::npos) {
    close(fd);
    return;
  }
  size_t length = 0;
  size_t at = request.find("Content-Length: ");
  if (at != std::string::npos && at < headerEnd) length = strtoul(request.c_str() + at + 16, nullptr, 10);
  while (!stop_ && request.size() < headerEnd + 4 + length) {
    if (!ReadableWithin(fd, 50)) continue;
    char chunk[4096];
    ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    request.append(chunk, static_cast<size_t>(n));
  }
  std::function<void(const std::string&)> onRequest;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    requests_.push_back(request);
    onRequest = onRequest_;
  }
  std::string line = request.substr(0, request.find("\r\n"));
  if (onRequest) onRequest(line);

  if (line.find("/system/information.cgi") != std::string::npos) {
    SendAll(fd, script_.systemInformation);
    shutdown(fd, SHUT_WR);
    Pause(fd, 1000);
    close(fd);
    return;
  }
  bool open = SendAll(fd, script_.streamHeader);
  do {
    for (size_t i = 0; open && i < script_.parts.size(); ++i) {
      open = Pause(fd, script_.partIntervalMs) && SendAll(fd, Part(script_.parts[i]));
    }
  } while (open && script_.repeatParts && !script_.parts.empty());
  if (open && !script_.tail.empty()) open = SendAll(fd, script_.tail);
  if (open && !script_.closeAfter) {
    while (Pause(fd, 100)) {
    }
  }
  close(fd);
}
