#include "database/FakeGreeter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/sha.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool ReadExactly(int fd, std::string* out, size_t size) {
  out->resize(size);
  size_t done = 0;
  while (done < size) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 30000) <= 0) return false;
    ssize_t n = read(fd, &(*out)[done], size - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SendPacket(int fd, const std::string& payload, unsigned char sequence) {
  std::string packet;
  packet += static_cast<char>(payload.size() & 0xFF);
  packet += static_cast<char>((payload.size() >> 8) & 0xFF);
  packet += static_cast<char>((payload.size() >> 16) & 0xFF);
  packet += static_cast<char>(sequence);
  packet += payload;
  (void)!send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
}

std::string Le(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::string Sha1(const std::string& data) {
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  return std::string(reinterpret_cast<char*>(digest), sizeof(digest));
}

}  // namespace

FakeGreeter::FakeGreeter() : scramble_("abcdefghij0123456789") {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(addr);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && listen(listener_, 4) == 0 &&
      getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port_ = ntohs(addr.sin_port);
  }
  thread_ = std::thread([this] { Serve(); });
}

FakeGreeter::~FakeGreeter() {
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

bool FakeGreeter::WaitForLogin() {
  thread_.join();
  thread_ = std::thread([] {});
  return done_;
}

void FakeGreeter::Serve() {
  // The adapter's reachability probe connects and closes first; the client's
  // login is the first connection that sends anything.
  for (int attempt = 0; attempt < 4 && !done_; ++attempt) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 30000) <= 0) return;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    const uint32_t capabilities = 0x1 | 0x8 | 0x200 | 0x8000 | 0x80000;  // long password, db, 4.1, secure, plugin
    std::string greeting;
    greeting += '\x0a';
    greeting += std::string("5.5.5-10.11.0-fake") + '\0';
    greeting += Le(7, 4);
    greeting += scramble_.substr(0, 8) + '\0';
    greeting += Le(capabilities & 0xFFFF, 2);
    greeting += '\x21';  // utf8
    greeting += Le(2, 2);
    greeting += Le(capabilities >> 16, 2);
    greeting += '\x15';  // 21 bytes of scramble
    greeting += std::string(10, '\0');
    greeting += scramble_.substr(8) + '\0';
    greeting += std::string("mysql_native_password") + '\0';
    SendPacket(fd, greeting, 0);
    std::string header, body;
    if (ReadExactly(fd, &header, 4) &&
        ReadExactly(fd, &body, static_cast<unsigned char>(header[0]) | (static_cast<unsigned char>(header[1]) << 8) |
                                   (static_cast<unsigned char>(header[2]) << 16)) &&
        body.size() > 32) {
      size_t at = 32;  // capabilities, max packet, charset, 23 reserved
      size_t end = body.find('\0', at);
      if (end != std::string::npos && end + 1 < body.size()) {
        user_ = body.substr(at, end - at);
        size_t length = static_cast<unsigned char>(body[end + 1]);
        auth_ = body.substr(end + 2, length);
        done_ = true;
      }
      SendPacket(fd, "\xff" + Le(1045, 2) + "#28000Access denied", 2);
    }
    close(fd);
  }
}

bool FakeGreeter::PasswordIs(const std::string& password) const {
  // mysql_native_password: SHA1(password) XOR SHA1(scramble + SHA1(SHA1(password)));
  // nothing for an empty password.
  if (password.empty()) return auth_.empty();
  std::string stage1 = Sha1(password);
  std::string mix = Sha1(scramble_ + Sha1(stage1));
  std::string expected(stage1.size(), '\0');
  for (size_t i = 0; i < stage1.size(); ++i) expected[i] = static_cast<char>(stage1[i] ^ mix[i]);
  return auth_ == expected;
}
