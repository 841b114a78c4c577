#include "analysis/VasJsonRequest.h"

#include <chrono>
#include <thread>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/MyHttp.h"
#include "net/SecureSock.h"
#include "net/SimpleHttpParser.h"

int VasJsonRequest::Send(const char* logName) const {
  std::string authorization;
  for (int attempt = 0; attempt < 2; ++attempt) {
    CSecureSock conn;
    conn.tls = tls;
    if (conn.Connect(host, static_cast<unsigned short>(port), connectMs) != 1) {
      GATE_LOG(1, "ERROR - Connect to %s [%s:%d] failed...\r\n", logName, host.c_str(), port);
      return kNoConnection;
    }
    std::string request = StrFormat(
        "%s %s HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: %s\r\nContent-Type: application/json\r\n"
        "Content-Length: %d\r\nConnection: Keep-Alive\r\n",
        method.c_str(), path.c_str(), host.c_str(), static_cast<int>(body.size()) + 4);
    request += authorization + "\r\n" + body + "\r\n\r\n";
    if (conn.WriteAll(request.data(), static_cast<int>(request.size()), connectMs) !=
        static_cast<int>(request.size())) {
      conn.Close();
      return kNoHeader;
    }
    std::string header;
    int contentLength = 0;
    if (!CMyHttp::RecvHeaderText(conn, &header, &contentLength, headerWaitSec)) {
      GATE_LOG_DEFAULT("RecvHeader Failed! - uri : %s\r\n", path.c_str());
      conn.Close();
      return kNoHeader;
    }
    GATE_LOG_DEFAULT("%s\n", header.c_str());
    conn.Close();
    CDigestAuthInfo challenge;
    if (digest && attempt == 0 && CMyHttp::CheckDigestAuth(header, &challenge)) {
      authorization = CMyHttp::MakeDigestAuthHeader(&challenge, method, user, password, path, body);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    return CSimpleHttpParser(header).statusCode;
  }
  return 401;  // a second challenge is not answered
}
