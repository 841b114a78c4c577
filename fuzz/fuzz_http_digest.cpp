// fuzz-libs: gate_net
// The Digest challenge reader on arbitrary reply text, and the answer built
// from whatever it accepted: never crashes, and the answer is one header line.
#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>

#include "net/DigestAuth.h"
#include "net/MyHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::map<std::string, std::string> params;
  ParseAuthParams(text, &params);
  CDigestAuthInfo info;
  if (CMyHttp::CheckDigestAuth(text, &info)) {
    std::string line = CMyHttp::MakeDigestAuthHeader(&info, "POST", "user\"x", "pw", "/a?b=c", text);
    if (line.find('\n') != line.size() - 1) __builtin_trap();  // no header injection
  }
  return 0;
}
