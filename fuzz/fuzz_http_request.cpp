// fuzz-libs: gate_net
// The server's readers of outside input on arbitrary bytes: the request
// parser, the request framing check, the Digest Authorization parser and the response check behind it.
// Nothing may crash, and parsed values keep within their historical fields.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "net/HttpHeader.h"
#include "net/HttpResult.h"
#include "net/HttpServer.h"
#include "net/SimpleHttpParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  CSimpleHttpParser request(text);
  if (request.path.size() > size || request.body.size() > size * 2 + 1) __builtin_trap();
  if (request.forwarded.size() > CSimpleHttpParser::kMaxForwarded) __builtin_trap();
  CHttpResult result(text);
  RequestFraming framing;
  std::string error;
  if (ReadRequestFraming(text, &framing, &error) && framing.contentLength < 0) __builtin_trap();

  CHttpServer::DIGESTINFO record;
  const std::string& authorization = request.authorization.empty() ? text : request.authorization;
  if (CHttpServer::ParseDigestAuthorization(authorization, &record)) {
    if (record.username.size() >= 32 || record.uri.size() >= 2048 || record.nonce.size() >= 256) __builtin_trap();
    CHttpServer::CheckDigestResponse(&record, request.GetMethod(), "pw");
  }
  return 0;
}
