// CStatusStreamUnit: reads one unit of a server's long-lived multipart status
// stream: a header block (the reply's own HTTP header, or a part header whose
// first line is the boundary "--1234567890") and the Content-Length bytes of
// its body. The recording-server and analysis-server adapters share it and
// map its outcome onto their own codes and log lines.
#pragma once

#include <string>
#include <vector>

#include "net/SecureSock.h"

class CStatusStreamUnit {
 public:
  // The boundary line of the servers' multipart status streams.
  static constexpr const char* kBoundary = "--1234567890";
  // The largest body accepted; a larger Content-Length fails as kBodyTooLarge.
  static constexpr int kMaxPartSize = 16 * 1024 * 1024;

  enum Outcome {
    kRead,          // header (and body, when announced) read; `status` holds the status
    kNoHeader,      // no header block in time, the peer closed, or `stop` ended the wait
    kNoLine,        // the header block holds no line, or its first line no word
    kNotBoundary,   // the first line is one word other than the boundary
    kBodyTooLarge,  // Content-Length above kMaxPartSize (nothing of the body read)
    kNoBody,        // the body did not arrive whole in time, or `stop` ended the wait
  };

  // Waits up to `headerWaitSec` for the next header block, dropping the CR
  // and LF bytes in front of it (the line ends a server sends after a part's
  // body), then reads a body of Content-Length bytes, each wait up to
  // `bodyWaitSec`; `stop(context)`, asked after every read slice, ends either
  // wait. The header block, then the body, is left NUL-terminated at the
  // start of `buffer` (grown as needed); `header` keeps the header block.
  // `status` is 200 for a boundary, else the number in the second word of the
  // status line; `contentLength` is the announced length.
  Outcome Read(CSecureSock& conn, int headerWaitSec, int bodyWaitSec, std::vector<char>* buffer, SockAbortFunc stop,
               void* context);

  std::string header;
  int status = 0;
  int contentLength = 0;
};
