// VasJsonRequest: one JSON request to an AI engine or an AI camera on a
// connection of its own: the request line, the fixed header lines the
// engines expect (Accept, User-Agent, Host, Content-Type: application/json,
// Content-Length of the body + 4, Connection: Keep-Alive), then the body and
// CR LF CR LF. With Digest set, a first challenge is answered once on a new
// connection; a second challenge is not. Blocks up to the connect time-out
// and the header wait per connection; the reply's body is not read.
#pragma once

#include <string>

struct VasJsonRequest {
  std::string method;     // "POST" or "PUT"
  std::string host;
  int port = 0;
  int tls = 0;
  std::string path;
  std::string body;
  bool digest = false;    // answer one Digest challenge with user/password
  std::string user;
  std::string password;
  int connectMs = 2000;
  int headerWaitSec = 2;

  enum : int {
    kNoConnection = -1,  // no connection within connectMs (logged)
    kNoHeader = -2,      // no reply header within headerWaitSec (logged), or a short send
  };
  // Sends the request. The reply's status (200 for success), or kNoConnection
  // or kNoHeader. `logName` names the peer in the connect line:
  // "ERROR - Connect to <logName> [host:port] failed...".
  int Send(const char* logName) const;
};
