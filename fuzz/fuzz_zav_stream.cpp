// fuzz-libs: gate_recorders
// The recording-server stream reader on arbitrary peer bytes: they arrive on
// a socket whose peer then closes, and ReceiveStatus reads header blocks and
// parts until it fails. Nothing may crash, wait past the peer's close, or
// hand out a part longer than the bytes that came.
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "FuzzPeer.h"
#include "database/DataStore.h"
#include "entities/NRS.h"
#include "recorders/ZavDataAdapter.h"

namespace {

// An in-memory store with server 1 (lives for the whole run).
CDataStore* Store() {
  static CDataStore* store = [] {
    auto* s = new CDataStore(nullptr);
    auto row = std::make_unique<CTBLNRS>();
    row->SetNo(1);
    row->SetAddr("127.0.0.1");
    s->AddEntity(row.get(), 0);
    return s;
  }();
  return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 256 * 1024) return 0;
  int fds[2];
  if (!FeedSocketPair(reinterpret_cast<const char*>(data), size, fds)) return 0;
  CSecureSock conn;
  conn.socket = fds[0];
  std::vector<char> buffer;
  for (int part = 0; part < 16; ++part) {
    int result = CZavDataAdapter::ReceiveStatus(Store(), 1, 1, 1, conn, &buffer, nullptr, nullptr);
    if (result < 0) break;
    if (result == 1 && (buffer.empty() || strnlen(buffer.data(), buffer.size()) > size)) __builtin_trap();
  }
  conn.Close();
  close(fds[1]);
  return 0;
}
