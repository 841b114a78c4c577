// fuzz-libs: gate_net
// The reply readers on arbitrary peer bytes: the first byte picks the reader
// (header, header + sized body, chunked body, multipart parts, the server's
// request framing and body reader, the client's whole-reply reader), the rest
// arrives on a socket whose peer then closes. Nothing may crash, hang past the
// time-outs or hand out more bytes than were sent.
#include <stddef.h>
#include <stdint.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "foundation/Thread.h"
#include "net/HttpHeader.h"
#include "net/MyHttp.h"
#include "FuzzPeer.h"

namespace {

class IdleThread : public CThread {
 public:
  ~IdleThread() override { EndThread(); }

 protected:
  bool DoJob() override { return SleepUntilStop(1) || true; }
};

IdleThread* Owner() {
  static IdleThread* owner = [] {
    auto* thread = new IdleThread;  // lives for the whole run
    thread->Start("FuzzOwner");
    return thread;
  }();
  return owner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 256 * 1024) return 0;
  int mode = data[0] % 6;
  int fds[2];
  if (!FeedSocketPair(reinterpret_cast<const char*>(data + 1), size - 1, fds)) return 0;

  std::vector<char> buffer;
  int length = 0;
  if (mode == 0) {
    int header = CMyHttp::RecvHeader(fds[0], &buffer, &length, 1);
    if (header >= CMyHttp::kHeaderArea || static_cast<size_t>(header) > size) __builtin_trap();
  } else if (mode == 1) {
    if (CMyHttp::RecvHeader(fds[0], &buffer, &length, 1) > 0 && length > 0) {
      if (CMyHttp::RecvBody(fds[0], &buffer, length, 1) && static_cast<size_t>(length) > size) __builtin_trap();
    }
  } else if (mode == 2) {
    if (CMyHttp::RecvBodyChunked(fds[0], &buffer, 1) && buffer.size() > size) __builtin_trap();
  } else if (mode == 4) {
    std::string header;
    if (CMyHttp::RecvHeaderText(fds[0], &header, &length, 1)) {
      RequestFraming framing;
      std::string error;
      std::string body;
      constexpr int kLimit = 4096;
      if (ReadRequestFraming(header, &framing, &error) &&
          CMyHttp::RecvRequestBody(fds[0], framing.contentLength, framing.chunked, kLimit, 1, &body) > 0 &&
          (body.size() > kLimit || body.size() > size)) {
        __builtin_trap();
      }
    }
  } else if (mode == 5) {
    CSecureSock conn;
    conn.socket = fds[0];
    std::string reply;
    if (CMyHttp::RecvReplyText(conn, &reply, 1) && reply.size() > size) __builtin_trap();
    conn.socket = INVALID_SOCKET;
  } else {
    CSecureSock conn;
    conn.socket = fds[0];
    for (int part = 0; part < 4; ++part) {
      if (CMyHttp::RecvPartHeader(conn, &buffer, &length, Owner()) <= 0) break;
      if (!CMyHttp::RecvPartBody(conn, &buffer, length, Owner())) break;
    }
    conn.socket = INVALID_SOCKET;
  }
  close(fds[0]);
  close(fds[1]);
  return 0;
}
