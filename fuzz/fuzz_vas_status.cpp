// fuzz-libs: gate_analysis
// The own-kind analysis server's readers on arbitrary peer bytes. The first
// byte picks the reader: 's' the status stream (the bytes arrive on a socket
// whose peer then closes; ReceiveStatus reads units until it fails and every
// body goes through the status records, which are written back), anything
// else the control-port reply reader and the reply's code.
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "FuzzPeer.h"
#include "analysis/VasStatusStream.h"
#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/Vas.h"
#include "foundation/XmlSerializer.h"
#include "net/SecureSock.h"

namespace {

void ReadStream(const char* bytes, size_t size) {
  int fds[2];
  if (!FeedSocketPair(bytes, size, fds)) return;
  static CTBLVas* row = [] {
    auto* r = new CTBLVas();
    r->SetAddr("127.0.0.1");
    return r;
  }();
  VasTorvaneAdapter adapter(*row);
  CSecureSock conn;
  conn.socket = fds[0];
  std::vector<char> buffer;
  for (int unit = 0; unit < 16; ++unit) {
    int error = 0;
    int result = adapter.ReceiveStatus(nullptr, row, &error, 0, &conn, &buffer, nullptr, nullptr);
    if (result < 0) break;
    if (result == 1) {
      if (buffer.empty() || strnlen(buffer.data(), buffer.size()) > size) __builtin_trap();
      CVasStatusStream status;
      if (CXmlSerializer::FromXml(buffer.data(), &status)) CXmlSerializer::ToXml(status);
    }
  }
  conn.Close();
  close(fds[1]);
}

void ReadControlReply(const char* bytes, size_t size) {
  int fds[2];
  if (!FeedSocketPair(bytes, size, fds)) return;
  std::string xml;
  if (VasTorvaneAdapter::ReadControlReply(fds[0], &xml) == VasTorvaneAdapter::kControlRead) {
    if (xml.size() > static_cast<size_t>(VasTorvaneAdapter::kMaxReplyXml)) __builtin_trap();
    bool parsed = false;
    VasTorvaneAdapter::ReplyCode(xml, &parsed);
  }
  close(fds[0]);
  close(fds[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 256 * 1024) return 0;
  const char* bytes = reinterpret_cast<const char*>(data) + 1;
  if (data[0] == 's') {
    ReadStream(bytes, size - 1);
  } else {
    ReadControlReply(bytes, size - 1);
  }
  return 0;
}
