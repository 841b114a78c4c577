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
#include "foundation/StringUtil.h"
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

// The deadline of a whole read: a base time-out from the moment it is made,
// plus the time the announced bytes take at the floor rate, so a peer that
// drips bytes cannot stretch a read past it, while a large body that moves at
// a sane rate is never cut.
class ReadBudget {
 public:
  static constexpr long long kFloorBytesPerSecond = 64 * 1024;
  explicit ReadBudget(int timeoutMs) : deadline_(timeoutMs) {}
  // Allows the time `bytes` take at the floor rate.
  void Allow(long long bytes) {
    deadline_.Extend(static_cast<int>(std::min<long long>(bytes * 1000 / kFloorBytesPerSecond, 24LL * 3600 * 1000)));
  }
  int RemainingMs() const { return deadline_.RemainingMs(); }

 private:
  CDeadline deadline_;
};

// One connection as the readers see it: a plain socket, or a CSecureSock with
// an optional abort check; reads may be bounded by a whole-read budget.
class ReplyConn {
 public:
  explicit ReplyConn(SOCKET s) : socket_(s) {}
  explicit ReplyConn(CSecureSock& conn, SockAbortFunc abort = nullptr, void* user = nullptr)
      : secure_(&conn), abort_(abort), user_(user) {}

  // Bounds every later read by `budget` (null: each wait only by its own time-out).
  void SetBudget(ReadBudget* budget) { budget_ = budget; }
  ReadBudget* Budget() const { return budget_; }

  bool Usable() const { return secure_ ? secure_->IsUsable() : socket_ != INVALID_SOCKET; }
  bool Aborted() const { return abort_ && abort_(user_); }
  // True when no byte beyond those already readable will arrive.
  bool PeerClosed() const { return secure_ ? secure_->PeerClosed() : sock::PeerClosed(socket_); }

  // One read of at most `size` bytes within `timeoutMs` (and the budget):
  // bytes, 0 time-out or abort, -1 error or closed.
  int Read(char* buffer, int size, int flags, int timeoutMs) {
    if (budget_) {
      int left = budget_->RemainingMs();
      if (left <= 0) return 0;
      timeoutMs = std::min(timeoutMs, left);
    }
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

  // Appends exactly `size` bytes to `buffer` (a std::string or a byte
  // vector), growing it with the bytes that arrive (never by the announced
  // size at once). False as ReadExact; `buffer` then holds what arrived.
  template <typename Buffer>
  bool Append(Buffer* buffer, long long size, int timeoutMs) {
    size_t at = buffer->size();
    long long total = 0;
    while (total < size) {
      int want = static_cast<int>(std::min<long long>(size - total, kReadPiece));
      buffer->resize(at + total + want);  // the container grows its capacity geometrically
      int n = Read(buffer->data() + at + total, want, 0, timeoutMs);
      if (n > 0) total += n;
      buffer->resize(at + total);
      if (n <= 0 || Aborted()) return false;
    }
    return true;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  CSecureSock* secure_ = nullptr;
  SockAbortFunc abort_ = nullptr;
  void* user_ = nullptr;
  ReadBudget* budget_ = nullptr;
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
// zero byte. The buffer grows with the bytes that arrive, so a peer that
// announces much and sends little costs little; a buffer already larger is
// kept at its size.
template <typename Buffer>
int RecvBodyCore(ReplyConn& conn, Buffer* buffer, size_t offset, int contentLength, int timeoutSec,
                 const char* function) {
  if (!conn.Usable() || contentLength < 0) return 0;
  if (contentLength > CMyHttp::kMaxBodySize) {
    LOG_AS(function, "ERROR - Content-Length %d is above the limit of %d bytes.\r\n", contentLength,
           CMyHttp::kMaxBodySize);
    return 0;
  }
  const size_t full = offset + contentLength + 1;
  const int timeoutMs = SecondsToMs(timeoutSec);
  if (conn.Budget()) conn.Budget()->Allow(contentLength);
  try {
    if (buffer->size() >= full) {
      if (!conn.ReadExact(buffer->data() + offset, contentLength, timeoutMs)) return 0;
    } else {
      buffer->resize(offset);
      bool complete = conn.Append(buffer, contentLength, timeoutMs);
      buffer->resize(full);
      if (!complete) return 0;
    }
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
    const int d = HexDigitValue(line[i]);
    if (d < 0) break;
    value = value * 16 + d;
    if (value > INT32_MAX) return false;
  }
  if (digits == 0) return false;
  if (i < line.size() && line[i] != ';' && line[i] != ' ' && line[i] != '\t') return false;
  *size = value;
  return true;
}

// Results of the chunked reader.
constexpr int kChunkedTooLarge = -1;
constexpr int kChunkedFailed = 0;
constexpr int kChunkedRead = 1;

// What one chunk-size line (`line`, without its CR LF) asks: a size, or a
// failure (logged).
enum class ChunkLine { kSize, kFailed };
ChunkLine ReadChunkLine(std::string_view line, long long* size) {
  if (line.empty()) {
    LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk-size line is %s.\r\n", "empty");
    return ChunkLine::kFailed;
  }
  if (!ParseChunkSize(line, size)) {
    LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Malformed chunk-size line '%.*s'.\r\n", static_cast<int>(line.size()),
           line.data());
    return ChunkLine::kFailed;
  }
  return ChunkLine::kSize;
}

bool ChunkFits(long long size, long long limit, const std::string& body) {
  if (size <= limit - static_cast<long long>(body.size())) return true;
  LOG_AS("CMyHttp::RecvBodyChunked", "Chunk size is too large. nChunkSize=%lld\r\n", size);
  return false;
}

bool ChunkEndsRight(const char* end, long long size) {
  if (end[0] == '\r' && end[1] == '\n') return true;
  LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk of %lld bytes is not followed by CR LF.\r\n", size);
  return false;
}

constexpr int kChunkWindow = 64 * 1024;  // bytes looked at (peeked) at once

// When text[at] starts a size line of one to seven hexadecimal digits and its
// CR LF (no blanks, no extensions), sets `size` and returns where the CR LF
// stands; npos otherwise (the line is then read by the general path, which
// gives the same size for such a line).
size_t ShortSizeLineEnd(std::string_view text, size_t at, long long* size) {
  long long value = 0;
  size_t i = at;
  for (; i < text.size() && i - at < 7; ++i) {
    const int d = HexDigitValue(text[i]);
    if (d < 0) break;
    value = value * 16 + d;
  }
  if (i == at || i + 1 >= text.size() || text[i] != '\r' || text[i + 1] != '\n') return std::string_view::npos;
  *size = value;
  return i;
}

// Reads a chunked body into `body`, growing it as the data arrives. An empty
// body (a first size line of 0) is a complete body. Returns kChunkedRead,
// kChunkedFailed (malformed, truncated, stalled) or kChunkedTooLarge (the
// data passes `limit`; logged).
//
// The bytes already arrived are peeked in one window and every chunk wholly
// inside it is taken from there, then exactly those bytes are consumed with
// one read: a body of many small chunks costs two socket calls per window,
// not several per chunk, and nothing past the body is ever consumed. A chunk
// larger than what has arrived is read straight into the body; a size line
// still arriving is waited for as a line.
int RecvBodyChunkedCore(ReplyConn& conn, std::string* body, long long limit, int timeoutSec) {
  body->clear();
  if (!conn.Usable()) return kChunkedFailed;
  int timeoutMs = SecondsToMs(timeoutSec);
  char line[kChunkLineArea];
  std::string window(kChunkWindow, '\0');
  try {
    for (;;) {
      // Whole chunks from what has arrived.
      int n = conn.Read(window.data(), kChunkWindow, MSG_PEEK, timeoutMs);
      if (n <= 0 || conn.Aborted()) return kChunkedFailed;
      const std::string_view seen(window.data(), static_cast<size_t>(n));
      size_t used = 0;  // bytes of whole chunks taken from the window
      long long size = -1;  // a size line taken, its chunk's data not yet
      for (;;) {
        long long chunk = 0;
        size_t lineEnd = ShortSizeLineEnd(seen, used, &chunk);
        if (lineEnd != std::string_view::npos) {
          // A size line of a few digits whose data and CR LF have arrived:
          // the common case of a body of small chunks, taken without a search.
          const size_t dataAt = lineEnd + 2;
          const size_t next = dataAt + static_cast<size_t>(chunk) + 2;
          if (chunk > 0 && next <= seen.size() && seen[next - 2] == '\r' && seen[next - 1] == '\n' &&
              chunk <= limit - static_cast<long long>(body->size())) {
            if (conn.Budget()) conn.Budget()->Allow(chunk);
            if (chunk <= 8) {
              for (size_t k = dataAt; k < next - 2; ++k) body->push_back(seen[k]);  // inlined, unlike append
            } else {
              body->append(seen.data() + dataAt, static_cast<size_t>(chunk));
            }
            used = next;
            continue;
          }
        }
        lineEnd = seen.find("\r\n", used);
        if (lineEnd == std::string_view::npos || lineEnd - used >= kChunkLineArea - 2) {
          if (seen.size() - used >= kChunkLineArea - 1) {  // as the line reader below judges it
            LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk-size line is %s.\r\n", "too long");
            return kChunkedFailed;
          }
          break;  // the line is still arriving
        }
        if (ReadChunkLine(seen.substr(used, lineEnd - used), &chunk) != ChunkLine::kSize) return kChunkedFailed;
        const size_t dataAt = lineEnd + 2;
        if (chunk == 0) {  // the last chunk; the trailer is left unread
          return conn.ReadExact(window.data(), static_cast<int>(dataAt), timeoutMs) ? kChunkedRead : kChunkedFailed;
        }
        if (!ChunkFits(chunk, limit, *body)) return kChunkedTooLarge;
        if (conn.Budget()) conn.Budget()->Allow(chunk);
        if (static_cast<long long>(seen.size() - dataAt) < chunk + 2) {
          used = dataAt;
          size = chunk;
          break;  // its data is still arriving
        }
        if (!ChunkEndsRight(seen.data() + dataAt + chunk, chunk)) return kChunkedFailed;
        body->append(seen.data() + dataAt, static_cast<size_t>(chunk));
        used = dataAt + static_cast<size_t>(chunk) + 2;
      }
      if (used > 0 && !conn.ReadExact(window.data(), static_cast<int>(used), timeoutMs)) return kChunkedFailed;
      if (size < 0) {
        if (used > 0) continue;
        // No whole size line yet: wait for one.
        int lineLength = PeekFor(conn, line, sizeof(line), "\r\n", timeoutMs);
        if (lineLength == 0) return kChunkedFailed;  // stalled or closed: truncated body
        if (lineLength < 0) {
          LOG_AS("CMyHttp::RecvBodyChunked", "ERROR - Chunk-size line is %s.\r\n", "too long");
          return kChunkedFailed;
        }
        if (!conn.ReadExact(line, lineLength, timeoutMs)) return kChunkedFailed;
        if (ReadChunkLine(std::string_view(line, lineLength - 2), &size) != ChunkLine::kSize) return kChunkedFailed;
        if (size == 0) return kChunkedRead;
        if (!ChunkFits(size, limit, *body)) return kChunkedTooLarge;
        if (conn.Budget()) conn.Budget()->Allow(size);
      }
      // One chunk whose data has not all arrived: read it straight into the body.
      if (!conn.Append(body, size, timeoutMs)) return kChunkedFailed;
      char end[2];
      if (!conn.ReadExact(end, 2, timeoutMs)) return kChunkedFailed;
      if (!ChunkEndsRight(end, size)) return kChunkedFailed;
    }
  } catch (const std::bad_alloc&) {
    LOG_AS("CMyHttp::RecvBodyChunked", "Memory allocation for a chunked body of %zu bytes failed.. thread= %u\r\n",
           body->size(), CurrentThreadId());
    return kChunkedFailed;
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
  return RecvBodyChunkedCore(conn, &text, kMaxBodySize, timeoutSec) == kChunkedRead ? ToBuffer(text, body) : 0;
}

int CMyHttp::RecvBodyChunked(CSecureSock& secure, std::vector<char>* body, int timeoutSec) {
  ReplyConn conn(secure);
  std::string text;
  return RecvBodyChunkedCore(conn, &text, kMaxBodySize, timeoutSec) == kChunkedRead ? ToBuffer(text, body) : 0;
}

bool CMyHttp::RecvBodyChunkedText(CSecureSock& secure, std::string* body, int timeoutSec) {
  ReplyConn conn(secure);
  return RecvBodyChunkedCore(conn, body, kMaxBodySize, timeoutSec) == kChunkedRead;
}

int CMyHttp::RecvRequestBody(SOCKET s, int contentLength, bool chunked, int limit, int timeoutSec,
                             std::string* body) {
  body->clear();
  ReplyConn conn(s);
  ReadBudget budget(SecondsToMs(timeoutSec));
  conn.SetBudget(&budget);
  if (chunked) return RecvBodyChunkedCore(conn, body, limit, timeoutSec);
  if (contentLength <= 0) return 1;
  if (contentLength > limit) return -1;
  if (!RecvBodyCore(conn, body, 0, contentLength, timeoutSec, "CMyHttp::RecvBody")) return 0;
  body->resize(contentLength);
  return 1;
}

namespace {

// Reads header blocks until a final one: interim 1xx replies (RFC 9110
// 15.2; 101 is final) are read and dropped. The whole wait, interim replies
// included, is bounded by `conn`'s budget.
bool RecvFinalHeaderCore(ReplyConn& conn, std::string* header, int* contentLength, int timeoutSec) {
  std::vector<char> buffer;
  for (;;) {
    int length = RecvHeaderCore(conn, &buffer, contentLength, timeoutSec, "CMyHttp::RecvHeader");
    if (length <= 0) return false;
    int status = GetHeaderStatusCode(std::string_view(buffer.data(), length));
    if (status >= 100 && status < 200 && status != 101) continue;
    header->assign(buffer.data(), length);
    return true;
  }
}

}  // namespace

bool CMyHttp::RecvFinalHeaderText(CSecureSock& secure, std::string* header, int* contentLength, int timeoutSec,
                                  SockAbortFunc abort, void* user) {
  ReplyConn conn(secure, abort, user);
  ReadBudget budget(SecondsToMs(timeoutSec));
  conn.SetBudget(&budget);
  return RecvFinalHeaderCore(conn, header, contentLength, timeoutSec);
}

int CMyHttp::RecvReplyText(CSecureSock& secure, std::string* reply, int timeoutSec) {
  reply->clear();
  ReplyConn conn(secure);
  if (!conn.Usable()) return 0;
  std::string header;
  int contentLength = 0;
  ReadBudget headerBudget(SecondsToMs(timeoutSec));
  conn.SetBudget(&headerBudget);
  if (!RecvFinalHeaderCore(conn, &header, &contentLength, timeoutSec)) return 0;
  *reply = header;
  ReadBudget bodyBudget(SecondsToMs(timeoutSec));  // RecvBodyCore and the chunk reader allow for the size
  conn.SetBudget(&bodyBudget);
  if (contentLength > 0) {
    if (!RecvBodyCore(conn, reply, header.size(), contentLength, timeoutSec, "CMyHttp::RecvBody")) {
      reply->resize(header.size());
      return 0;
    }
    // The reply text ends at the body's first zero byte.
    size_t zero = reply->find('\0', header.size());
    if (zero != std::string::npos) reply->resize(zero);
  } else if (IsChunkedHeader(header)) {
    std::string body;
    if (RecvBodyChunkedCore(conn, &body, kMaxBodySize, timeoutSec) != kChunkedRead) return 0;
    reply->append(body.c_str());
  }
  return 1;
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
