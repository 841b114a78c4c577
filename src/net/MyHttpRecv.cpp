// The reply readers of CMyHttp: header block, sized and chunked bodies, on a
// plain socket or a CSecureSock (plain or TLS).
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>

#include "foundation/Log.h"
#include "foundation/Thread.h"
#include "net/Deadline.h"
#include "net/HttpHeader.h"
#include "net/MyHttp.h"

namespace {

constexpr int kPeekTries = 100;        // peeks for a header or a chunk-size line
constexpr int kPeekPauseMs = 10;       // pause between two peeks that saw no line end
constexpr int kChunkLineArea = 256;    // a chunk-size line must fit (with extensions)
constexpr int kReadPiece = 64 * 1024;  // most bytes asked of one body read

// A log line under the reader's public name (the helpers below serve several).
#define LOG_AS(function, ...) WriteLog(LogCallSite{__FILE__, (function), __LINE__, nullptr}, 1, __VA_ARGS__)

int SecondsToMs(int seconds) { return std::clamp(seconds, 0, 24 * 3600) * 1000; }

unsigned CurrentThreadId() { return static_cast<unsigned>(gettid()); }

// One connection as the readers see it: a plain socket, or a CSecureSock with
// an optional abort check.
class ReplyConn {
 public:
  explicit ReplyConn(SOCKET s) : socket_(s) {}
  explicit ReplyConn(CSecureSock& conn, SockAbortFunc abort = nullptr, void* user = nullptr)
      : secure_(&conn), abort_(abort), user_(user) {}

  bool Usable() const { return secure_ ? secure_->IsUsable() : socket_ != INVALID_SOCKET; }
  bool Aborted() const { return abort_ && abort_(user_); }
  // True when no byte beyond those already readable will arrive.
  bool PeerClosed() const { return secure_ ? secure_->PeerClosed() : sock::PeerClosed(socket_); }

  // One read of at most `size` bytes within `timeoutMs`: bytes, 0 time-out or
  // abort, -1 error or closed.
  int Read(char* buffer, int size, int flags, int timeoutMs) {
    if (!secure_) return sock::Recv(socket_, buffer, size, flags, timeoutMs);
    if (!secure_->tls) {
      if (!abort_) return sock::Recv(secure_->socket, buffer, size, flags, timeoutMs);
      return sock::RecvEx(secure_->socket, buffer, size, flags, std::max(timeoutMs, 1), abort_, user_);
    }
    return secure_->sslReadEx(buffer, size, flags, timeoutMs, abort_, user_);
  }

  // Reads exactly `size` bytes, each wait at most `timeoutMs`. False when a
  // wait passes, the connection fails or closes, or the abort check answers.
  bool ReadExact(char* buffer, int size, int timeoutMs) {
    int total = 0;
    while (total < size) {
      int n = Read(buffer + total, std::min(size - total, kReadPiece), 0, timeoutMs);
      if (n <= 0 || Aborted()) return false;
      total += n;
    }
    return true;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  CSecureSock* secure_ = nullptr;
  SockAbortFunc abort_ = nullptr;
  void* user_ = nullptr;
};

// Peeks until `marker` shows within the first `area - 1` bytes. Returns the
// length up to and including the marker, 0 when it did not come (a peer that
// has closed fails at once instead of being peeked again), -1 when the area
// filled without it (the peer sent a line longer than the readers accept).
int PeekFor(ReplyConn& conn, char* area, int areaSize, const char* marker, int timeoutMs) {
  size_t markerLength = strlen(marker);
  for (int attempt = 0; attempt < kPeekTries; ++attempt) {
    bool closed = conn.PeerClosed();  // asked first: the peek then sees every byte that will come
    int n = conn.Read(area, areaSize - 1, MSG_PEEK, timeoutMs);
    if (n <= 0 || conn.Aborted()) return 0;
    const void* found = memmem(area, n, marker, markerLength);
    if (found) return static_cast<int>(static_cast<const char*>(found) - area + markerLength);
    if (n >= areaSize - 1) return -1;  // the line does not fit
    if (closed) return 0;              // the line will never end
    std::this_thread::sleep_for(std::chrono::milliseconds(kPeekPauseMs));
  }
  return 0;
}

int RecvHeaderCore(ReplyConn& conn, std::vector<char>* buffer, int* contentLength, int timeoutSec,
                   const char* function) {
  if (!conn.Usable()) return 0;
  int timeoutMs = SecondsToMs(timeoutSec);
  char area[CMyHttp::kHeaderArea];
  int length = PeekFor(conn, area, sizeof(area), "\r\n\r\n", timeoutMs);
  if (length < 0) {
    LOG_AS(function, "ERROR - Header block is longer than %d bytes.\r\n", CMyHttp::kHeaderArea - 1);
    return 0;
  }
  if (length == 0 || length >= CMyHttp::kHeaderArea) return 0;
  // Consume exactly the header: the body stays on the connection.
  if (!conn.ReadExact(area, length, timeoutMs) || !memmem(area, length, "\r\n\r\n", 4)) return 0;
  if (static_cast<int>(buffer->size()) <= length) buffer->assign(length + 1, '\0');
  memcpy(buffer->data(), area, length);
  (*buffer)[length] = '\0';
  if (contentLength) *contentLength = GetHeaderContentLength(std::string_view(area, length));
  return length;
}

// Reads `contentLength` bytes into `buffer` from `offset` on, followed by a
// zero byte. Bodies up to kUpfrontSize get their room at once; larger ones
// grow with the bytes that arrive, so a peer that announces much and sends
// little costs little.
template <typename Buffer>
int RecvBodyCore(ReplyConn& conn, Buffer* buffer, size_t offset, int contentLength, int timeoutSec,
                 const char* function) {
  constexpr int kUpfrontSize = 16 * 1024 * 1024;
  if (!conn.Usable() || contentLength < 0) return 0;
  if (contentLength > CMyHttp::kMaxBodySize) {
    LOG_AS(function, "ERROR - Content-Length %d is above the limit of %d bytes.\r\n", contentLength,
           CMyHttp::kMaxBodySize);
    return 0;
  }
  const size_t full = offset + contentLength + 1;
  int timeoutMs = SecondsToMs(timeoutSec);
  int total = 0;
  try {
    if (contentLength <= kUpfrontSize && buffer->size() < full) buffer->resize(full);
    while (total < contentLength) {
      int want = std::min(contentLength - total, kReadPiece);
      size_t needed = offset + total + want + 1;
      if (buffer->size() < needed) buffer->resize(std::min(std::max(buffer->size() * 2, needed), full));
      int n = conn.Read(buffer->data() + offset + total, want, 0, timeoutMs);
      if (n <= 0 || conn.Aborted()) return 0;
      total += n;
    }
    if (buffer->size() < full) buffer->resize(full);
  } catch (const std::bad_alloc&) {
    LOG_AS(function, "ERROR - Error raised when allocate %d memory in %u thread.\r\n", contentLength + 1,
           CurrentThreadId());
    return 0;
  }
  (*buffer)[offset + contentLength] = '\0';
  return 1;
}

// Parses a chunk-size line (without its CR LF): hexadecimal digits, then
// optional blanks and extensions. False when no digit leads or it overflows.
bool ParseChunkSize(std::string_view line, long long* size) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  long long value = 0;
  size_t digits = 0;
  for (; i < line.size(); ++i, ++digits) {
    char c = line[i];
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) break;
    value = value * 16 + d;
    if (value > INT32_MAX) return false;
  }
  if (digits == 0) return false;
  if (i < line.size() && line[i] != ';' && line[i] != ' ' && line[i] != '\t') return false;
  *size = value;
  return true;
}

bool RecvBodyChunkedCore(ReplyConn& conn, std::string* body, int timeoutSec) {
  body->clear();
  if (!conn.Usable()) return false;
  int timeoutMs = SecondsToMs(timeoutSec);
  char line[kChunkLineArea];
  for (;;) {
    int lineLength = PeekFor(conn, line, sizeof(line), "\r\n", timeoutMs);
    if (lineLength == 0) return false;  // stalled or closed: truncated body
    if (lineLength < 0 || lineLength == 2) {
      LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk-size line is %s.\r\n", lineLength < 0 ? "too long" : "empty");
      return false;
    }
    if (!conn.ReadExact(line, lineLength, timeoutMs)) return false;
    long long size = 0;
    if (!ParseChunkSize(std::string_view(line, lineLength - 2), &size)) {
      LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Malformed chunk-size line '%.*s'.\r\n", lineLength - 2, line);
      return false;
    }
    if (size == 0) return true;  // the last chunk; the trailer is left unread
    if (size > CMyHttp::kMaxBodySize - static_cast<long long>(body->size())) {
      LOG_AS("CMyHttp::RecvBodyChunked", "Chunk size is too large. nChunkSize=%lld\r\n", size);
      return false;
    }
    size_t at = body->size();
    try {
      body->resize(at + size + 2);
    } catch (const std::bad_alloc&) {
      LOG_AS("CMyHttp::RecvBodyChunked", "Memory allocation for Chunk(%lld) failed.. thread= %u\r\n", size + 2, CurrentThreadId());
      return false;
    }
    if (!conn.ReadExact(body->data() + at, static_cast<int>(size) + 2, timeoutMs)) return false;
    if ((*body)[at + size] != '\r' || (*body)[at + size + 1] != '\n') {
      LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk of %lld bytes is not followed by CR LF.\r\n", size);
      return false;
    }
    body->resize(at + size);
  }
}

int ToBuffer(const std::string& body, std::vector<char>* buffer) {
  buffer->assign(body.begin(), body.end());
  buffer->push_back('\0');
  return 1;
}

}  // namespace

int CMyHttp::GetContentLength(const std::string& header) { return GetHeaderContentLength(header); }

bool CMyHttp::IsChunked(const std::string& header) { return IsChunkedHeader(header); }

int CMyHttp::RecvHeader(SOCKET s, std::vector<char>* buffer, int* contentLength, int timeoutSec) {
  ReplyConn conn(s);
  return RecvHeaderCore(conn, buffer, contentLength, timeoutSec, "CMyHttp::RecvHeader");
}

int CMyHttp::RecvHeader(CSecureSock& secure, std::vector<char>* buffer, int* contentLength, int timeoutSec) {
  ReplyConn conn(secure);
  return RecvHeaderCore(conn, buffer, contentLength, timeoutSec, "CMyHttp::RecvHeader");
}

int CMyHttp::RecvHeader2(CSecureSock& secure, std::vector<char>* buffer, int* contentLength, int timeoutSec,
                         SockAbortFunc abort, void* user) {
  ReplyConn conn(secure, abort, user);
  return RecvHeaderCore(conn, buffer, contentLength, timeoutSec, "CMyHttp::RecvHeader2");
}

bool CMyHttp::RecvHeaderText(SOCKET s, std::string* header, int* contentLength, int timeoutSec) {
  std::vector<char> buffer;
  int length = RecvHeader(s, &buffer, contentLength, timeoutSec);
  if (length > 0) header->assign(buffer.data(), length);
  return length > 0;
}

bool CMyHttp::RecvHeaderText(CSecureSock& secure, std::string* header, int* contentLength, int timeoutSec) {
  std::vector<char> buffer;
  int length = RecvHeader(secure, &buffer, contentLength, timeoutSec);
  if (length > 0) header->assign(buffer.data(), length);
  return length > 0;
}

int CMyHttp::RecvBody(SOCKET s, std::vector<char>* buffer, int contentLength, int timeoutSec) {
  ReplyConn conn(s);
  return RecvBodyCore(conn, buffer, 0, contentLength, timeoutSec, "CMyHttp::RecvBody");
}

int CMyHttp::RecvBody(CSecureSock& secure, std::vector<char>* buffer, int contentLength, int timeoutSec) {
  ReplyConn conn(secure);
  return RecvBodyCore(conn, buffer, 0, contentLength, timeoutSec, "CMyHttp::RecvBody");
}

int CMyHttp::RecvBody2(CSecureSock& secure, std::vector<char>* buffer, int contentLength, int timeoutSec,
                       SockAbortFunc abort, void* user) {
  ReplyConn conn(secure, abort, user);
  return RecvBodyCore(conn, buffer, 0, contentLength, timeoutSec, "CMyHttp::RecvBody2");
}

int CMyHttp::RecvBodyChunked(SOCKET s, std::vector<char>* body, int timeoutSec) {
  ReplyConn conn(s);
  std::string text;
  return RecvBodyChunkedCore(conn, &text, timeoutSec) ? ToBuffer(text, body) : 0;
}

int CMyHttp::RecvBodyChunked(CSecureSock& secure, std::vector<char>* body, int timeoutSec) {
  ReplyConn conn(secure);
  std::string text;
  return RecvBodyChunkedCore(conn, &text, timeoutSec) ? ToBuffer(text, body) : 0;
}

bool CMyHttp::RecvBodyChunkedText(CSecureSock& secure, std::string* body, int timeoutSec) {
  ReplyConn conn(secure);
  return RecvBodyChunkedCore(conn, body, timeoutSec);
}

int CMyHttp::RecvPartHeader(CSecureSock& conn, std::vector<char>* buffer, int* contentLength, CThread* owner) {
  constexpr int kPartWaitMs = 1000;
  constexpr int kFirstPartBuffer = 8192;
  if (buffer->empty()) buffer->assign(kFirstPartBuffer, '\0');
  CDeadline deadline(kPartWaitMs);
  ReplyConn reader(conn, &CThread::IsStopRequested, owner);
  int size = static_cast<int>(buffer->size());
  int length = 0;
  for (;;) {
    if (!conn.IsUsable()) return 0;
    bool closed = reader.PeerClosed();
    int n = conn.Read(buffer->data(), size - 1, MSG_PEEK, kPartWaitMs, &CThread::IsStopRequested, owner);
    if (n <= 0 || reader.Aborted()) return 0;
    const void* found = memmem(buffer->data(), n, "\r\n\r\n", 4);
    if (found) {
      length = static_cast<int>(static_cast<const char*>(found) - buffer->data()) + 4;
      break;
    }
    if (n >= size - 1) {
      GATE_LOG(1, "ERROR - Part header is longer than %d bytes.\r\n", size - 2);
      return 0;
    }
    if (closed || deadline.Passed()) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPeekPauseMs));
  }
  if (length <= 0 || length >= size) return 0;
  if (!reader.ReadExact(buffer->data(), length, kPartWaitMs)) return 0;
  (*buffer)[length] = '\0';
  if (!strstr(buffer->data(), "\r\n\r\n")) return 0;
  int partLength = GetHeaderContentLength(std::string_view(buffer->data(), length));
  if (partLength > kMaxBodySize) {
    GATE_LOG(1, "ERROR - Content-Length %d is above the limit of %d bytes.\r\n", partLength, kMaxBodySize);
    return 0;
  }
  if (partLength >= size) buffer->resize(partLength + 1, '\0');  // the header text stays at the start
  if (contentLength) *contentLength = partLength;
  return length;
}

int CMyHttp::RecvPartBody(CSecureSock& conn, std::vector<char>* buffer, int length, CThread* owner) {
  constexpr int kPartBodyMs = 3000;
  if (!conn.IsUsable() || length < 0 || length > kMaxBodySize) return 0;
  if (static_cast<int>(buffer->size()) <= length) buffer->assign(length + 1, '\0');
  CDeadline deadline(kPartBodyMs);
  int total = 0;
  while (total < length) {
    int n = conn.Read(buffer->data() + total, length - total, 0, std::max(deadline.RemainingMs(), 1),
                      &CThread::IsStopRequested, owner);
    if (n <= 0 || CThread::IsStopRequested(owner) || deadline.Passed()) return 0;
    total += n;
  }
  (*buffer)[total] = '\0';
  return 1;
}

int CMyHttp::RecvBodyText(CSecureSock& secure, std::string* text, int contentLength, int timeoutSec) {
  ReplyConn conn(secure);
  size_t offset = text->size();
  if (!RecvBodyCore(conn, text, offset, contentLength, timeoutSec, "CMyHttp::RecvBody")) {
    text->resize(offset);
    return 0;
  }
  text->resize(offset + contentLength);
  return 1;
}
