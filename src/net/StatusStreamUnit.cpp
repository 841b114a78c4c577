#include "net/StatusStreamUnit.h"

#include <stdlib.h>
#include <sys/socket.h>

#include "foundation/StrList.h"
#include "net/Deadline.h"
#include "net/MyHttp.h"

namespace {

// Waits up to `waitSec` for the next block and drops the CR and LF bytes in
// front of it: the empty lines a server sends after a part's body, maybe a
// while before the next part, are no part of the next header. False when no
// other byte came in time, the stop check ended the wait or the peer closed.
bool SkipLineEnds(CSecureSock& conn, int waitSec, SockAbortFunc stop, void* context) {
  CDeadline deadline(waitSec * 1000);
  char peek[256];
  for (;;) {
    int n = conn.Read(peek, sizeof(peek), MSG_PEEK, deadline.RemainingMs(), stop, context);
    if (n <= 0 || (stop && stop(context))) return false;
    int ends = 0;
    while (ends < n && (peek[ends] == '\r' || peek[ends] == '\n')) ++ends;
    if (ends == 0) return true;
    if (conn.Read(peek, ends, 0, 1000, nullptr, nullptr) != ends) return false;  // bytes already there
  }
}

}  // namespace

CStatusStreamUnit::Outcome CStatusStreamUnit::Read(CSecureSock& conn, int headerWaitSec, int bodyWaitSec,
                                                   std::vector<char>* buffer, SockAbortFunc stop, void* context) {
  header.clear();
  status = 0;
  contentLength = 0;
  int length = 0;
  if (SkipLineEnds(conn, headerWaitSec, stop, context)) {
    length = CMyHttp::RecvHeader2(conn, buffer, &contentLength, headerWaitSec, stop, context);
  }
  if (length <= 0) return kNoHeader;
  header.assign(buffer->data(), static_cast<size_t>(length));
  CStrList lines;
  CStrList words;
  if (lines.Split(header, "\r\n") == 0 || words.Split(lines.GetAt(0), " ") == 0) return kNoLine;
  if (words.GetCount() == 1) {
    if (words.GetAt(0) != kBoundary) return kNotBoundary;
    status = 200;
  } else {
    status = atoi(words.GetAt(1).c_str());
  }
  if (contentLength > kMaxPartSize) return kBodyTooLarge;
  if (contentLength > 0 && CMyHttp::RecvBody2(conn, buffer, contentLength, bodyWaitSec, stop, context) != 1) {
    return kNoBody;
  }
  return kRead;
}
