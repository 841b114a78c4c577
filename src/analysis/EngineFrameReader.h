// CEngineFrameReader: reads the length-framed messages of an outside AI
// engine (OGQ, SKT AI) from a client connection: a header of fixed size that
// announces a body length (and, for some engines, a message type), then the
// body. Bytes are read through a CMetaPartReader, so bytes that arrive ahead
// (the next header) stay for the next call, and the body grows with the bytes
// that arrive, never to what the header announces.
//
// Not thread-safe: the client thread that owns the connection uses it alone.
#pragma once

#include <stddef.h>

#include <string>

#include "analysis/MetaPartReader.h"
#include "net/SecureSock.h"

// What an engine's header says.
struct CEngineFrameHeader {
  int type = 0;    // the engine's message type (engines without types give 0)
  int length = 0;  // body bytes; 0 or negative: no body
};

class CEngineFrameReader {
 public:
  // Decodes the `headerSize` bytes of one header.
  using DecodeFn = CEngineFrameHeader (*)(const unsigned char* header);

  enum ReadResult : int {
    kReadTooLong = -2,  // the header announced more than maxBody bytes
    kReadFailed = -1,   // a read failed, the connection closed, or a header or body came in part
    kReadNothing = 0,   // no byte of a header within the wait (or a stop was requested first)
    kReadDone = 1,      // a whole message (its body empty when the length is 0 or negative)
  };

  CEngineFrameReader(size_t headerSize, DecodeFn decode, int maxBody)
      : headerSize_(headerSize), decode_(decode), maxBody_(maxBody), reader_(0) {}

  // Forgets every buffered byte (a new connection).
  void Reset() { reader_.Reset(); }

  // Reads one message: waits up to `waitMs` for the whole header, then up to
  // `waitMs` for the whole body, each in slices that ask `abort(user)` (may
  // be null). kReadDone fills `header` and `body`. A stop requested in the
  // middle of a header or body gives kReadFailed.
  int Read(CSecureSock& conn, int waitMs, SockAbortFunc abort, void* user, CEngineFrameHeader* header,
           std::string* body);

 private:
  const size_t headerSize_;
  const DecodeFn decode_;
  const int maxBody_;
  CMetaPartReader reader_;  // only fixed-size reads: no header block is ever searched
  std::string headerBytes_;
};
