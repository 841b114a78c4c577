// Free functions over plain IPv4 TCP and UDP sockets: connect with a time-out,
// probe a host, send a whole buffer, receive with a time-out and an abort
// check, listen and bind. They keep no state and may run on any thread.
//
// Sockets are non-blocking or blocking as each function says; every wait uses
// poll() and ends at its time-out. Writes never raise SIGPIPE (MSG_NOSIGNAL,
// and SIGPIPE is ignored once a socket is made, for TLS writes). Time-outs are
// milliseconds; a time-out of 0 polls once.
#pragma once

#include <stdint.h>

#include <atomic>
#include <string>

using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;

// Abort check of the waiting reads: returns true to stop waiting now.
// `CThread::IsStopRequested` has this form, with the thread as `user`.
using SockAbortFunc = bool (*)(void* user);

namespace sock {

// A new TCP socket (blocking, close-on-exec), or INVALID_SOCKET.
SOCKET CreateTcp();

// Opens a TCP connection and waits at most `timeoutMs` for it. Returns the
// socket in non-blocking mode, or INVALID_SOCKET (port 0 or 65535, unresolved
// host, refused or timed-out connect); no socket is left open on failure.
SOCKET Connect(const std::string& host, unsigned short port, int timeoutMs);

// Starts a non-blocking connect. Returns the new socket with `*pending` 1 while
// the connect is under way (0 when it completed at once), or INVALID_SOCKET.
SOCKET ConnectNonBlock(const std::string& host, unsigned short port, int* pending);

// The same on a socket the caller made (switched to non-blocking). Returns
// false for INVALID_SOCKET, port 65535, an unresolved host or a refused start;
// never closes the socket.
bool StartConnect(SOCKET s, const std::string& host, unsigned short port, int* pending);

// Connects the socket held in `s` (made by the caller), waiting at most
// 2000 ms in slices of 50 ms. Between slices the wait ends with false once
// `*stop` is non-zero or `s` no longer holds the socket (another thread closed
// it and stored INVALID_SOCKET), so another thread ends it within about 50 ms.
bool ConnectWait(const std::atomic<SOCKET>& s, const std::string& host, unsigned short port,
                 const std::atomic<int>* stop = nullptr);

// Waits at most `timeoutMs` for a pending connect. True when it completed
// without error; false on refusal, error or time-out.
bool WaitConnected(SOCKET s, int timeoutMs);

// True when `host` answers a TCP connect on `port` within `timeoutMs`; the
// probe's socket is always closed.
bool IsReachable(const std::string& host, unsigned short port, int timeoutMs = 2000);

// Switches non-blocking mode on or off. True when the mode was set.
bool SetNonBlock(SOCKET s, bool on);

// Sends the whole buffer, waiting for room at most `timeoutMs` in all.
// Returns the bytes sent (fewer than `length` at the deadline) or -1 on error
// (logged). Works on blocking and non-blocking sockets alike.
int SendAll(SOCKET s, const char* data, int length, int timeoutMs);

// Waits at most `timeoutMs` for data, then one recv with `flags` (0 or
// MSG_PEEK). Returns bytes read (> 0), 0 on time-out, -1 on error or when the
// peer closed the connection.
int Recv(SOCKET s, char* buffer, int size, int flags, int timeoutMs);

// As Recv, waiting in slices of at most 1000 ms and asking `abort` (when
// given) after each empty slice; returns 0 at once for a time-out of 0 or less.
int RecvEx(SOCKET s, char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user);

// Reads exactly `size` bytes unless `timeoutMs` passes first. Returns the bytes
// read (fewer at the deadline) or -1 on error or a closed connection.
int RecvAll(SOCKET s, char* buffer, int size, int timeoutMs);

// As RecvAll with an abort check; the time-out is clamped to 0..one hour.
// Returns the bytes read before the abort, the deadline or the size.
int RecvAllEx(SOCKET s, char* buffer, int size, int timeoutMs, SockAbortFunc abort, void* user);

// Waits at most `timeoutMs` until `s` is readable (data, end of stream or
// error). Returns 1 ready, 0 time-out, -1 error.
int WaitReadable(SOCKET s, int timeoutMs);

// Waits at most `timeoutMs` until `s` can take more bytes. 1, 0 or -1 as above.
int WaitWritable(SOCKET s, int timeoutMs);

// True when the peer has closed its sending side (or the connection is gone):
// no byte beyond those already in the receive buffer will arrive. Never waits.
bool PeerClosed(SOCKET s);
// Bytes waiting in the receive buffer, 0 when none or unknown.
int PendingBytes(SOCKET s);

// True when `text` holds only decimal digits and dots (also for "").
bool IsIpAddress(const std::string& text);

// IPv4 address of `host` in network order: a dotted address as written, a name
// through the resolver. INADDR_NONE when it cannot be resolved.
uint32_t Resolve(const std::string& host);

// A TCP socket listening on `port` (0: a port the kernel picks) of
// `bindAddress` (network order; every local address by default), with the
// largest backlog the system allows (SOMAXCONN), so bursts of connects are
// queued rather than dropped.
// INVALID_SOCKET on failure.
SOCKET Listen(unsigned short port, uint32_t bindAddress = 0);

// A UDP socket bound to `port` of every local address, or INVALID_SOCKET
// (a failed bind is logged).
SOCKET BindUDP(unsigned short port);

// The local port a socket is bound to, 0 when unknown.
unsigned short GetLocalPort(SOCKET s);

// Wakes every thread blocked on `s` (reads see the end of the stream) without
// releasing the descriptor; the socket's owner still closes it.
void Shutdown(SOCKET s);

// Closes `s` when it is a socket; INVALID_SOCKET is ignored.
void Close(SOCKET s);

}  // namespace sock
