#include "net/SecureSock.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <string.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>

#include "foundation/Log.h"
#include "net/Deadline.h"

namespace {

// Waits for the direction TLS asked for. 1 ready, 0 time-out, -1 error.
int WaitForTls(SOCKET s, bool write, int timeoutMs) {
  return write ? sock::WaitWritable(s, timeoutMs) : sock::WaitReadable(s, timeoutMs);
}

}  // namespace

CSecureSock::~CSecureSock() { Close(); }

bool CSecureSock::IsUsable() const {
  return socket != INVALID_SOCKET && (!tls || (ssl && ctx));
}

bool CSecureSock::PeerClosed() const {
  if (!sock::PeerClosed(socket)) return false;
  return !tls || (sock::PendingBytes(socket) == 0 && !(ssl && SSL_has_pending(ssl)));
}

void CSecureSock::ApplyBufferSizes() {
  if (recvBufferSize > 0) setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &recvBufferSize, sizeof(recvBufferSize));
  if (sendBufferSize > 0) setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &sendBufferSize, sizeof(sendBufferSize));
}

int CSecureSock::Connect(const std::string& host, unsigned short port, int timeoutMs) {
  CDeadline deadline(timeoutMs);
  if (port == 0 || IsStopped()) return 0;
  int pending = 0;
  SOCKET s = sock::ConnectNonBlock(host, port, &pending);
  if (s == INVALID_SOCKET) return 0;
  socket = s;  // from here Stop reaches the connect; the flag is read again after the store
  bool connected = !IsStopped() && (!pending || sock::WaitConnected(s, timeoutMs)) && !IsStopped();
  if (connected && tls && !sslConnect(s, std::max(deadline.RemainingMs(), 1))) connected = false;
  if (!connected || IsStopped()) {
    sslClose();
    socket = INVALID_SOCKET;
    sock::Close(s);
    return 0;
  }
  ApplyBufferSizes();
  return 1;
}

int CSecureSock::Reconnect(const std::string& host, unsigned short port) {
  constexpr int kHandshakeMs = 5000;
  sock::Close(socket.exchange(INVALID_SOCKET));
  if (IsStopped()) return 0;
  socket = sock::CreateTcp();
  if (socket == INVALID_SOCKET) return 0;
  if (!sock::ConnectWait(socket, host, port, &stopFlag)) return 0;
  if (tls && !sslConnect(socket, kHandshakeMs)) return 0;
  if (IsStopped()) return 0;
  ApplyBufferSizes();
  return 1;
}

void CSecureSock::Close() {
  sslClose();
  SOCKET s = socket.exchange(INVALID_SOCKET);
  sock::Shutdown(s);
  sock::Close(s);
}

void CSecureSock::Stop() {
  stopFlag = 1;
  sock::Shutdown(socket.load());
}

int CSecureSock::sslConnect(SOCKET s, int timeoutMs) {
  CDeadline deadline(timeoutMs);
  // Each failure logs its own text, then leaves no SSL object or context behind.
  auto fail = [this](const char* text) {
    GATE_LOG(1, "%s", text);
    sslClose();
    return 0;
  };
  ctx = SSL_CTX_new(TLS_client_method());
  if (!ctx) return fail("SSL_CTX_new failed...");
  // The historical option set plus what OpenSSL 3 no longer includes in it:
  // servers without secure renegotiation must still be reachable, and old
  // devices still offer TLS 1.0 and SHA-1 signatures.
  SSL_CTX_set_options(ctx, SSL_OP_ALL | SSL_OP_NO_SSLv3 | SSL_OP_LEGACY_SERVER_CONNECT);
  SSL_CTX_set_min_proto_version(ctx, TLS1_VERSION);
  SSL_CTX_set_security_level(ctx, 0);
  SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
  SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  ssl = SSL_new(ctx);
  if (!ssl) return fail("SSL_new failed...");
  if (!sock::SetNonBlock(s, true)) return fail("sock::SetNonBlock failed(TRUE)...");
  if (SSL_set_fd(ssl, s) == 0) return fail("SSL_set_fd failed...");
  for (;;) {
    ERR_clear_error();
    int ret = SSL_connect(ssl);
    if (ret == 1) return 1;
    int error = SSL_get_error(ssl, ret);
    bool again = error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
    if (!again || WaitForTls(s, error == SSL_ERROR_WANT_WRITE, deadline.RemainingMs()) != 1) {
      if (error == SSL_ERROR_SSL || error == SSL_ERROR_SYSCALL) broken = 1;
      char text[96];
      snprintf(text, sizeof(text), "SSL_connect failed... (ret: %d, error_code: %d)", ret, error);
      return fail(text);
    }
  }
}

void CSecureSock::sslClose() {
  if (ssl && !broken) {
    ERR_clear_error();
    if (SSL_shutdown(ssl) == 0) {
      if (socket != INVALID_SOCKET) ::shutdown(socket, SHUT_WR);
      SSL_shutdown(ssl);
    }
  }
  ERR_clear_error();
  SSL_free(ssl);
  ssl = nullptr;
  SSL_CTX_free(ctx);
  ctx = nullptr;
  pending.reset();
  consumed = 0;
  filled = 0;
}

int CSecureSock::sslWrite(const char* data, int length) {
  if (!ssl) return -1;
  if (length <= 0) return 0;
  ERR_clear_error();
  int ret = SSL_write(ssl, data, length);
  if (ret == length) return ret;
  switch (SSL_get_error(ssl, ret)) {
    case SSL_ERROR_NONE:
      return ret;
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
      wantWrite_ = SSL_get_error(ssl, ret) == SSL_ERROR_WANT_WRITE;
      return ret > 0 ? ret : 0;
    case SSL_ERROR_SSL:
    case SSL_ERROR_SYSCALL:
      broken = 1;
      return -1;
    default:
      return -1;
  }
}

int CSecureSock::sslWriteAll(const char* data, int length, int timeoutMs) {
  CDeadline deadline(timeoutMs);
  int written = 0;
  while (written < length) {
    int n = sslWrite(data + written, length - written);
    if (n < 0) return -1;
    written += n;
    if (written >= length || deadline.Passed()) break;
    if (n == 0 && WaitForTls(socket, wantWrite_, deadline.RemainingMs()) < 0) return -1;
  }
  return written;
}

int CSecureSock::WriteAll(const char* data, int length, int timeoutMs) {
  if (!IsUsable()) return -1;
  if (!tls) return sock::SendAll(socket, data, length, timeoutMs);
  return sslWriteAll(data, length, timeoutMs);
}

int CSecureSock::TakePending(char* buffer, int size, int flags) {
  if (!pending) {
    pending.reset(new (std::nothrow) char[kPendingSize]);
    consumed = filled = 0;
    return pending ? 0 : -1;
  }
  if (consumed >= filled) {
    consumed = filled = 0;
    return 0;
  }
  int n = std::min(size, filled - consumed);
  if (n <= 0) return 0;
  memcpy(buffer, pending.get() + consumed, n);
  if (flags & MSG_PEEK) return n;
  consumed += n;
  if (consumed == filled) {
    consumed = filled = 0;
  } else if (consumed >= kMaxSslRead) {
    memmove(pending.get(), pending.get() + consumed, filled - consumed);
    filled -= consumed;
    consumed = 0;
  }
  return n;
}

int CSecureSock::ReadIntoPending() {
  if (filled == kPendingSize && consumed > 0) {
    memmove(pending.get(), pending.get() + consumed, filled - consumed);
    filled -= consumed;
    consumed = 0;
  }
  // Never more than the free space: peeks may leave most of the buffer unread.
  int room = std::min(kMaxSslRead, kPendingSize - filled);
  if (room <= 0) return 0;
  ERR_clear_error();
  int ret = SSL_read(ssl, pending.get() + filled, room);
  if (ret > 0) {
    filled += ret;
    return ret;
  }
  int error = SSL_get_error(ssl, ret);
  if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
    wantWrite_ = error == SSL_ERROR_WANT_WRITE;
    return 0;
  }
  if (error == SSL_ERROR_SSL || error == SSL_ERROR_SYSCALL) broken = 1;
  return -1;
}

int CSecureSock::sslReadEx(char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user) {
  if (socket == INVALID_SOCKET || !ssl) return -1;
  int taken = TakePending(buffer, size, flags);
  if (taken < 0) return -1;
  if (taken >= size) return taken;
  // The peer's close_notify has arrived: nothing more will come.
  if (SSL_get_shutdown(ssl) & SSL_RECEIVED_SHUTDOWN) return taken > 0 ? taken : -1;
  CDeadline deadline(timeoutMs);
  bool mustWait = false;
  for (;;) {
    if (mustWait || !SSL_has_pending(ssl)) {
      if (filled - consumed >= kPendingSize) return taken;  // full of peeked bytes
      // With bytes in hand, only take what has already arrived.
      int wait = taken > 0 ? 0 : std::min(deadline.RemainingMs(), 1000);
      int ready = WaitForTls(socket, mustWait && wantWrite_, wait);
      if (ready < 0) return taken > 0 ? taken : -1;
      if (ready == 0) {
        if (taken > 0) return taken;
        if ((abort && abort(user)) || deadline.Passed()) return taken;
        continue;
      }
    }
    int added = ReadIntoPending();
    if (added < 0) return taken > 0 ? taken : -1;
    mustWait = added == 0;
    if (added > 0) {
      // Hand out the new bytes behind those already taken (a peek copies again from the start).
      if (flags & MSG_PEEK) {
        taken = TakePending(buffer, size, flags);
      } else {
        taken += TakePending(buffer + taken, size - taken, flags);
      }
      if (taken >= size || !SSL_has_pending(ssl)) return taken;
    }
  }
}

int CSecureSock::sslRead(char* buffer, int size, int flags, int timeoutMs) {
  return sslReadEx(buffer, size, flags, timeoutMs, nullptr, nullptr);
}

int CSecureSock::sslReadAll(char* buffer, int size, int timeoutMs, SockAbortFunc abort, void* user) {
  if (socket == INVALID_SOCKET || !ssl) return -1;
  CDeadline deadline(timeoutMs);
  int total = 0;
  while (total < size) {
    int n = sslReadEx(buffer + total, size - total, 0, std::min(deadline.RemainingMs(), 100), nullptr, nullptr);
    if (n < 0) return -1;
    total += n;
    if (total >= size) break;
    if ((abort && abort(user)) || deadline.Passed()) break;
  }
  return total;
}

int CSecureSock::Read(char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user) {
  if (socket == INVALID_SOCKET) return 0;
  if (!tls) return sock::RecvEx(socket, buffer, size, flags, timeoutMs, abort, user);
  if (!ssl || !ctx) return 0;
  return sslReadEx(buffer, size, flags, timeoutMs, abort, user);
}
