#include "FakeAnalysisServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string FakePart(std::string_view json) {
  return "--1234567890\r\nContent-Length: " + std::to_string(json.size()) + "\r\n\r\n" + std::string(json) + "\r\n";
}

std::string FakeRequest::Field(const std::string& name) const {
  size_t at = header.find("\r\n" + name + ":");
  if (at == std::string::npos) return "";
  at += name.size() + 3;
  while (at < header.size() && header[at] == ' ') ++at;
  size_t end = header.find("\r\n", at);
  return header.substr(at, end - at);
}

// ---------------------------------------------------------------- connection

FakeConnection::~FakeConnection() { Close(); }

bool FakeConnection::Stopping() const { return server_->Stopping(); }

void FakeConnection::Close() {
  if (ssl_) {
    SSL_shutdown(ssl_);
    SSL_free(ssl_);
    ssl_ = nullptr;
  }
  // The server closes the descriptor when it stops, so that its number is
  // not reused (and shut down by Stop) while other connections run.
  if (fd_ >= 0) {
    shutdown(fd_, SHUT_RDWR);
    fd_ = -1;
  }
}

int FakeConnection::Read(char* buffer, int size, int waitMs) {
  if (fd_ < 0) return -1;
  if (ssl_ && SSL_pending(ssl_) > 0) {
    int n = SSL_read(ssl_, buffer, size);
    return n > 0 ? n : -1;
  }
  auto end = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (Stopping()) return 0;
    pollfd p{fd_, POLLIN, 0};
    int ready = poll(&p, 1, std::min(MsLeft(end), 50));
    if (ready < 0) return -1;
    if (ready == 0) {
      if (MsLeft(end) == 0) return 0;
      continue;
    }
    if (ssl_) {
      int n = SSL_read(ssl_, buffer, size);
      if (n > 0) return n;
      int error = SSL_get_error(ssl_, n);
      if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) continue;
      return -1;
    }
    ssize_t n = recv(fd_, buffer, size, 0);
    return n > 0 ? static_cast<int>(n) : -1;
  }
}

bool FakeConnection::ReadRequest(FakeRequest* request, int waitMs) {
  auto end = Clock::now() + std::chrono::milliseconds(waitMs);
  char chunk[4096];
  size_t headerEnd;
  while ((headerEnd = unread_.find("\r\n\r\n")) == std::string::npos) {
    int n = Read(chunk, sizeof(chunk), MsLeft(end));
    if (n <= 0) return false;
    unread_.append(chunk, n);
  }
  request->header = unread_.substr(0, headerEnd + 4);
  request->requestLine = request->header.substr(0, request->header.find("\r\n"));
  size_t length = static_cast<size_t>(atol(request->Field("Content-Length").c_str()));
  while (unread_.size() < headerEnd + 4 + length) {
    int n = Read(chunk, sizeof(chunk), MsLeft(end));
    if (n <= 0) return false;
    unread_.append(chunk, n);
  }
  request->body = unread_.substr(headerEnd + 4, length);
  unread_.erase(0, headerEnd + 4 + length);
  if (request->body.size() >= 4 && request->body.compare(request->body.size() - 4, 4, "\r\n\r\n") == 0)
    request->body.resize(request->body.size() - 4);
  server_->Record(*request);
  return true;
}

bool FakeConnection::Send(std::string_view bytes) {
  size_t sent = 0;
  while (sent < bytes.size() && fd_ >= 0 && !Stopping()) {
    if (ssl_) {
      int n = SSL_write(ssl_, bytes.data() + sent, static_cast<int>(bytes.size() - sent));
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
      continue;
    }
    ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, 50);
        continue;
      }
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  return sent == bytes.size();
}

bool FakeConnection::SendPart(std::string_view json) { return Send(FakePart(json)); }

bool FakeConnection::WaitClosed(int waitMs) {
  auto end = Clock::now() + std::chrono::milliseconds(waitMs);
  char chunk[4096];
  while (!Stopping()) {
    int left = MsLeft(end);
    if (left == 0) return false;
    if (Read(chunk, sizeof(chunk), left) < 0) return true;
  }
  return false;
}

// ---------------------------------------------------------------- server

bool FakeAnalysisServer::MakeCertificate(const std::string& folder) {
  std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost -keyout '" +
                        folder + "/key.pem' -out '" + folder + "/cert.pem' >/dev/null 2>&1";
  return system(command.c_str()) == 0;
}

FakeAnalysisServer::FakeAnalysisServer(Session session, const std::string& certFolder)
    : session_(std::move(session)) {
  if (!certFolder.empty()) {
    ctx_ = SSL_CTX_new(TLS_server_method());
    if (ctx_ && (SSL_CTX_use_certificate_file(ctx_, (certFolder + "/cert.pem").c_str(), SSL_FILETYPE_PEM) != 1 ||
                 SSL_CTX_use_PrivateKey_file(ctx_, (certFolder + "/key.pem").c_str(), SSL_FILETYPE_PEM) != 1)) {
      SSL_CTX_free(ctx_);
      ctx_ = nullptr;
    }
  }
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

FakeAnalysisServer::~FakeAnalysisServer() {
  Stop();
  if (ctx_) SSL_CTX_free(ctx_);
}

void FakeAnalysisServer::Stop() {
  if (stopping_.exchange(true)) return;
  if (acceptThread_.joinable()) acceptThread_.join();
  if (listener_ >= 0) close(listener_);
  listener_ = -1;
  std::vector<std::thread> sessions;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (int fd : fds_) shutdown(fd, SHUT_RDWR);  // wakes every session's wait
    sessions.swap(sessions_);
  }
  for (std::thread& session : sessions) session.join();
  std::lock_guard<std::mutex> hold(lock_);
  for (int fd : fds_) close(fd);
  fds_.clear();
}

std::vector<FakeRequest> FakeAnalysisServer::Requests() {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

void FakeAnalysisServer::Record(const FakeRequest& request) {
  std::lock_guard<std::mutex> hold(lock_);
  requests_.push_back(request);
}

void FakeAnalysisServer::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int index = accepted_.fetch_add(1);
    std::lock_guard<std::mutex> hold(lock_);
    fds_.push_back(fd);
    sessions_.emplace_back([this, fd, index] {
      SSL* ssl = nullptr;
      if (ctx_) {
        ssl = SSL_new(ctx_);
        SSL_set_fd(ssl, fd);
        timeval wait{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
        if (SSL_accept(ssl) != 1) {
          SSL_free(ssl);
          ERR_clear_error();
          return;
        }
      }
      FakeConnection connection(this, fd, ssl);
      session_(connection, index);
    });
  }
}
