// CMetaPartReader: reads a multipart metadata stream (header blocks ending in
// an empty line, each followed by the body its Content-Length announces) from
// a client connection through a read buffer of its own: bytes are read once,
// never peeked and scanned again, and bytes that arrive ahead of the caller
// (the next part, half a header) stay for the next call.
//
// It tells the three ends of a wait apart: a whole block or body, nothing yet
// (time-out), and a connection that failed or closed. The buffer grows with
// the bytes that arrive, never to what a peer announces.
//
// Not thread-safe: the client thread that owns the connection uses it alone.
#pragma once

#include <stddef.h>

#include <string>
#include <string_view>
#include <vector>

#include "net/SecureSock.h"

class CMetaPartReader {
 public:
  enum ReadResult : int {
    kReadFailed = -1,  // the connection failed or closed, or the header is too long
    kReadNothing = 0,  // the wait ended first (or a stop was requested); bytes so far are kept
    kReadDone = 1,
  };

  // `maxHeader`: the longest header block accepted, in bytes.
  explicit CMetaPartReader(size_t maxHeader) : maxHeader_(maxHeader) {}

  // Forgets every buffered byte (a new connection).
  void Reset();

  // Waits up to `waitMs` for a whole header block, reading in slices of at
  // most `sliceMs` and asking `abort(user)` after each. kReadDone sets
  // `header` to the block up to and including its empty line; it stays valid
  // until the next call.
  int ReadHeader(CSecureSock& conn, int waitMs, int sliceMs, SockAbortFunc abort, void* user,
                 std::string_view* header);

  // Reads the `length` bytes of a body (buffered bytes first) into `body`
  // within `waitMs` in all, as ReadHeader. kReadNothing when the time ran out
  // or a stop was requested before the last byte; the part is then lost.
  int ReadBody(CSecureSock& conn, size_t length, int waitMs, int sliceMs, SockAbortFunc abort, void* user,
               std::string* body);

  // Bytes received and not yet handed out.
  size_t Buffered() const { return end_ - begin_; }

 private:
  // One read into the free space after the buffered bytes (moving them to the
  // front or growing the buffer first). kReadDone when bytes came.
  int Fill(CSecureSock& conn, int waitMs, SockAbortFunc abort, void* user);

  const size_t maxHeader_;
  std::vector<char> buffer_;
  size_t begin_ = 0;    // first unread byte
  size_t end_ = 0;      // one past the last unread byte
  size_t scanned_ = 0;  // unread bytes already searched for the end of a header
};
