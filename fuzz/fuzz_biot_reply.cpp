// fuzz-libs: gate_biot
// The building-IoT client's reply reading and evaluation on arbitrary peer
// bytes: the bytes arrive on a socket whose peer then closes, are read as one
// reply (header, sized or chunked body), evaluated (status, JSON) and every
// key an operation reads is looked up, each of any JSON type. Nothing may
// crash, hang past the time-outs or hand out more bytes than were sent.
#include <stddef.h>
#include <stdint.h>
#include <unistd.h>

#include <string>

#include "FuzzPeer.h"
#include "biot/BIoTReply.h"
#include "net/MyHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  int fds[2];
  if (!FeedSocketPair(reinterpret_cast<const char*>(data), size, fds)) return 0;
  CSecureSock conn;
  conn.socket = fds[0];
  std::string reply;
  if (CMyHttp::RecvReplyText(conn, &reply, 1)) {
    if (reply.size() > size) __builtin_trap();
    CBIoTReply parsed;
    if (parsed.Evaluate(reply) == kBIoTReplyOk) {
      const rapidjson::Value& root = parsed.Root();
      std::string text;
      for (const char* key : {"authToken", "customerId", "isLoginSuccess", "userStateCode", "authCode", "thingName",
                              "messageStatusCode"}) {
        if (CBIoTReply::GetText(root, key, &text) && text.size() > size) __builtin_trap();
      }
      if (const rapidjson::Value* names = CBIoTReply::GetArray(root, "thingNames")) {
        for (const rapidjson::Value& item : names->GetArray()) {
          if (item.IsString() && item.GetStringLength() > size) __builtin_trap();
        }
      }
      if (const rapidjson::Value* things = CBIoTReply::GetArray(root, "things")) {
        for (const rapidjson::Value& thing : things->GetArray()) CBIoTReply::GetText(thing, "thingName", &text);
      }
      if (const rapidjson::Value* inner = CBIoTReply::GetObject(root, "data")) {
        CBIoTReply::GetText(*inner, "authToken", &text);
      }
    }
  }
  conn.socket = INVALID_SOCKET;
  close(fds[0]);
  close(fds[1]);
  return 0;
}
