// CSecureSock: one client connection that runs plain or over TLS. Reads take a
// time-out, may peek without consuming and may be cut short by an abort check;
// TLS reads go through a pending buffer so that peeking works over TLS as it
// does on a plain socket.
//
// TLS accepts any server certificate (no verification, no server name), with
// the legacy options old devices need. The socket stays non-blocking; the
// handshake runs non-blocking and ends at its time-out.
//
// Not thread-safe: one thread uses an object at a time (the owner
// serialises), except Stop, which any thread may call to end a pending
// connect, handshake or read at once (the owner still closes), and Close of a
// plain connection, which likewise ends a read pending on another thread.
#pragma once

#include <openssl/types.h>

#include <atomic>
#include <memory>
#include <string>

#include "net/Sock.h"

class CSecureSock {
 public:
  static constexpr int kPendingSize = 32768;  // bytes of the pending buffer
  static constexpr int kMaxSslRead = 16384;   // most bytes asked of one SSL_read

  CSecureSock() = default;
  // Closes what the owner left open (TLS state, socket), so nothing leaks.
  virtual ~CSecureSock();
  CSecureSock(const CSecureSock&) = delete;
  CSecureSock& operator=(const CSecureSock&) = delete;

  // Connects to host:port, then with `tls` set runs the handshake; connect and
  // handshake together end within `timeoutMs`, or at once on Stop. Returns 1
  // connected, 0 failed or stopped (nothing left open). Applies the buffer
  // sizes that are above 0.
  int Connect(const std::string& host, unsigned short port, int timeoutMs);

  // Closes the stored socket (TLS must have been ended by the owner), then
  // connects a new one within 2000 ms (sock::ConnectWait with the stop flag),
  // then the handshake when `tls` is set. Returns 1, or 0 failed or stopped;
  // on failure the new socket stays stored for the owner.
  int Reconnect(const std::string& host, unsigned short port);

  // Ends TLS (sslClose) and closes the socket; `socket` becomes INVALID_SOCKET.
  // The socket is shut down first, so that a read of a plain connection
  // pending on another thread ends at once.
  void Close();

  // From any thread: sets the stop flag and shuts the socket down, so a
  // pending connect, handshake or read ends at once; Connect and Reconnect
  // fail while the flag is set. The owner still calls Close. Never blocks.
  void Stop();
  // Clears the stop flag, so the object may connect again.
  void ClearStop() { stopFlag = 0; }
  bool IsStopped() const { return stopFlag.load() != 0; }

  // True when the connection can be used: a socket and, with `tls`, an SSL
  // object and context.
  bool IsUsable() const;

  // True when nothing more can arrive: the peer closed its side and no byte
  // (raw or decrypted) is left unread below the pending buffer. Never waits.
  bool PeerClosed() const;

  // One read of at most `size` bytes, plain or TLS, waiting at most `timeoutMs`
  // in slices of 1000 ms with `abort` asked after each empty slice. `flags` 0
  // or MSG_PEEK. Returns bytes read, 0 on time-out, abort or no connection, -1
  // on error or a closed connection.
  int Read(char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user);

  // Writes all of `data`, plain or TLS, waiting for room at most `timeoutMs`.
  // Returns the bytes written (fewer at the deadline) or -1 on error.
  int WriteAll(const char* data, int length, int timeoutMs);

  // Runs the TLS handshake on the connected socket `s` within `timeoutMs`.
  // Returns 1 done (the SSL object and context are stored), 0 failed (logged;
  // no SSL object or context is left).
  int sslConnect(SOCKET s, int timeoutMs);

  // Sends close_notify unless a fatal TLS error occurred, frees the SSL object,
  // the context and the pending buffer. Never blocks; the socket stays open.
  void sslClose();

  // One SSL_write. Returns the bytes written, 0 when TLS wants a retry, -1 on
  // error (a fatal one sets `broken`).
  int sslWrite(const char* data, int length);

  // Writes everything, waiting for room at most `timeoutMs` (2000 ms by default).
  // Returns the bytes written (fewer at the deadline) or -1 on error.
  int sslWriteAll(const char* data, int length, int timeoutMs = 2000);

  // A TLS read of at most `size` bytes (pending bytes first), waiting at most
  // `timeoutMs`. Returns bytes read, 0 on time-out, -1 on error or when the
  // peer closed. Pending bytes are handed out before a close is reported.
  int sslRead(char* buffer, int size, int flags, int timeoutMs);

  // As sslRead, waiting in slices of at most 1000 ms and asking `abort` (when
  // given) after each empty slice.
  int sslReadEx(char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user);

  // Reads exactly `size` bytes unless `timeoutMs` passes or `abort` answers
  // non-zero first. Returns the bytes read, or -1 on error or a closed connection.
  int sslReadAll(char* buffer, int size, int timeoutMs, SockAbortFunc abort, void* user);

  // Copies up to `size` pending bytes (consuming them unless MSG_PEEK). Returns
  // the bytes copied; allocates the buffer on first use.
  int TakePending(char* buffer, int size, int flags);

  // Public state, read directly by owners.
  int tls = 0;                      // non-zero: connections run TLS
  std::atomic<SOCKET> socket{INVALID_SOCKET};  // the connection (read by Stop on any thread)
  std::atomic<int> stopFlag{0};     // set by Stop; ends connect waits
  int broken = 0;                   // a fatal TLS error: closing sends no close_notify
  int recvBufferSize = 0;           // > 0: SO_RCVBUF after each connect
  int sendBufferSize = 0;           // > 0: SO_SNDBUF after each connect
  SSL* ssl = nullptr;
  SSL_CTX* ctx = nullptr;
  std::unique_ptr<char[]> pending;  // decrypted bytes not yet handed out
  int consumed = 0;                 // pending bytes already handed out
  int filled = 0;                   // pending bytes that hold data

 private:
  void ApplyBufferSizes();
  // One SSL_read into the pending buffer's free space. Returns bytes added,
  // 0 when TLS wants to wait (see wantWrite_), -1 on error or close.
  int ReadIntoPending();

  bool wantWrite_ = false;  // the last SSL call that wants a retry waits for writability
};
