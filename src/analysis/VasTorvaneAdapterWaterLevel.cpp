// VasTorvaneAdapter: the water-level mask exchange, a request of its own on
// a raw connection so that both bodies can carry bytes.
//
// Request block (32-bit little-endian words): kind (3 with the extra values,
// else 1), data length, value 1, value 2, the data, then with the extra
// values 32 and the eight values. Reply block: a word not read, the mask
// length, value 1, value 2, the mask bytes, then with the extra values a
// little-endian IEEE double.
#include <string.h>

#include <algorithm>
#include <chrono>

#include "analysis/VasTorvaneAdapter.h"
#include "analysis/VasWaterLevelMask.h"
#include "entities/analysis/Vas.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/MyHttp.h"
#include "net/SecureSock.h"
#include "net/SimpleHttpParser.h"
#include "net/UrlFormatter.h"

namespace {

constexpr int kConnectMs = 2000;
constexpr int kSendMs = 2000;
constexpr int kHeaderWaitSec = 5;
constexpr int kReadMs = 5000;
constexpr int kReplyHeadBytes = 16;
constexpr int kExtraValueBytes = 32;
constexpr int kExtraResultBytes = 8;
constexpr int kGrowBytes = 65536;

void AppendWord(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

uint32_t WordAt(const char* in) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << (8 * i);
  return value;
}

// Reads exactly `size` bytes within `timeoutMs`, plain or TLS, giving up
// when `abort(context)` answers non-zero. True when all arrived.
bool ReadExactly(CSecureSock& conn, char* buffer, int size, int timeoutMs, VasAbortFunc abort, void* context) {
  if (size == 0) return true;
  if (timeoutMs <= 0) return false;
  int got = conn.tls ? conn.sslReadAll(buffer, size, timeoutMs, abort, context)
                     : sock::RecvAllEx(conn.socket, buffer, size, timeoutMs, abort, context);
  return got == size;
}

// Appends exactly `size` bytes to `out` within kReadMs in all, the buffer
// growing by at most kGrowBytes per read, so an announced length costs
// memory only as its bytes arrive. True when all arrived.
bool ReadGrowing(CSecureSock& conn, std::vector<char>* out, int size, VasAbortFunc abort, void* context) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadMs);
  int got = 0;
  while (got < size) {
    const int step = std::min(kGrowBytes, size - got);
    out->resize(static_cast<size_t>(got) + step);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!ReadExactly(conn, out->data() + got, step, static_cast<int>(left.count()), abort, context)) return false;
    got += step;
  }
  return true;
}

}  // namespace

std::string VasTorvaneAdapter::WaterLevelRequestBlock(const VasWaterLevelMask& mask) {
  std::string block;
  AppendWord(&block, mask.HasExtra ? 3 : 1);
  AppendWord(&block, static_cast<uint32_t>(mask.Data.size()));
  AppendWord(&block, static_cast<uint32_t>(mask.RequestValue1));
  AppendWord(&block, static_cast<uint32_t>(mask.RequestValue2));
  block.append(mask.Data.data(), mask.Data.size());
  if (mask.HasExtra) {
    AppendWord(&block, kExtraValueBytes);
    for (int value : mask.ExtraValues) AppendWord(&block, static_cast<uint32_t>(value));
  }
  return block;
}

int VasTorvaneAdapter::GetWaterLevelMask(IDataStore* /*store*/, CTBLVas* row, VasWaterLevelMask* mask,
                                         VasAbortFunc abort, void* context, int* error) {
  if (!row || !mask || !abort) return Fail(error, kVasErrorBadArgument);
  // The header gives the block's length as an int: data is bounded as replies are.
  if (mask->Data.size() > static_cast<size_t>(kMaxMaskBytes)) return Fail(error, kVasErrorBadArgument);
  const std::string address = row->GetAddress();
  CSecureSock conn;  // its destructor ends TLS and closes the socket on every path
  conn.tls = useSecure_;
  if (!conn.Connect(address, port_, kConnectMs)) {
    GATE_LOG(1, "ERROR - Can't connect to VAS [%s:%d]\r\n", address.c_str(), port_);
    return Fail(error, kVasErrorNoConnection);
  }
  const std::string block = WaterLevelRequestBlock(*mask);
  // The login goes into the query whatever the authentication mode; encoded,
  // so that no byte of it can end the request line or add a header.
  const std::string header = StrFormat(
      "POST /api/waterlevel.cgi?id=%s&password=%s&method=get HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\n"
      "Host: %s\r\nContent-Type: application/octet-stream\r\nContent-Length: %d\r\n\r\n",
      UrlEncode(loginId_).c_str(), UrlEncode(loginPassword_).c_str(), address.c_str(), static_cast<int>(block.size()));
  if (conn.WriteAll(header.data(), static_cast<int>(header.size()), kSendMs) != static_cast<int>(header.size())) {
    GATE_LOG(1, "ERROR - To request WaterLevel.cgi for VAS[%s:%d] failed.\r\n", address.c_str(), port_);
    return Fail(error, kVasErrorNotSent);
  }
  if (conn.WriteAll(block.data(), static_cast<int>(block.size()), kSendMs) != static_cast<int>(block.size())) {
    GATE_LOG(1, "ERROR - Sending conntents of WaterLevel.cgi for VAS[%s:%d] failed.\r\n", address.c_str(), port_);
    return Fail(error, kVasErrorNotSent);
  }

  std::vector<char> replyHeader;
  int contentLength = 0;
  int headerLength = CMyHttp::RecvHeader2(conn, &replyHeader, &contentLength, kHeaderWaitSec, abort, context);
  if (headerLength <= 0) {
    GATE_LOG(1, "ERROR - Receiving a header for WaterLevel.cgi failed.\r\n");
    return Fail(error, kVasErrorNoHeader);
  }
  CSimpleHttpParser parsed(std::string(replyHeader.data(), static_cast<size_t>(headerLength)));
  if (parsed.statusCode != 200) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request 'api/waterlevel.cgi'. response code = %d\r\n",
             row->GetDisplayName().c_str(), parsed.statusCode);
    return Fail(error, parsed.statusCode == 0 ? kVasErrorNoHeader : parsed.statusCode);
  }

  char head[kReplyHeadBytes];
  if (!ReadExactly(conn, head, kReplyHeadBytes, kReadMs, abort, context)) {
    GATE_LOG(1, "ERROR - Receiving a response(1) for WaterLevel.cgi failed.\r\n");
    return Fail(error, kVasErrorNoBody);
  }
  // A negative or huge announced length is refused at once; a plausible one
  // is read into a buffer that grows as the bytes come.
  const int replyLength = static_cast<int>(WordAt(head + 4));
  if (replyLength < 0 || replyLength > kMaxMaskBytes) {
    GATE_LOG(1, "ERROR - Receiving a response(2) for WaterLevel.cgi failed.\r\n");
    return Fail(error, kVasErrorNoBody);
  }
  const int extra = mask->HasExtra ? kExtraResultBytes : 0;
  std::vector<char> data;
  if (!ReadGrowing(conn, &data, replyLength + extra, abort, context)) {
    GATE_LOG(1, "ERROR - Receiving a response(2) for WaterLevel.cgi failed.\r\n");
    return Fail(error, kVasErrorNoBody);
  }
  conn.Close();

  double extraResult = 0.0;
  if (mask->HasExtra) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
      bits |= static_cast<uint64_t>(static_cast<unsigned char>(data[replyLength + i])) << (8 * i);
    memcpy(&extraResult, &bits, sizeof(extraResult));
  }
  data.resize(static_cast<size_t>(replyLength));
  mask->ReplyValue1 = static_cast<int>(WordAt(head + 8));
  mask->ReplyValue2 = static_cast<int>(WordAt(head + 12));
  mask->ReplyLength = replyLength;
  mask->ReplyData = std::move(data);
  mask->ExtraResult = extraResult;
  return 1;
}
