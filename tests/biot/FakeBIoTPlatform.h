// The python fake of the building-IoT platform (peers/biot_platform.py),
// started on a free loopback port for one test, plain or TLS with a
// self-signed certificate made at start.
#pragma once

#include <string>
#include <vector>

#include "NetPeers.h"
#include "support/TempDir.h"

struct PlatformRequest {
  int connection = 0;  // the peer's connection number, from 1
  std::string method;
  std::string target;  // path and query
};

class FakeBIoTPlatform {
 public:
  // `state`: lines "gateway NAME" / "edge GATEWAY EDGE" the platform starts with.
  bool Start(bool tls = false, const std::string& state = "");
  unsigned short port() const { return port_; }
  // Adds a scripted reply: the first `times` requests whose "METHOD target"
  // contains `match`, after `skip` such requests passed, get `reply`.
  void Script(const std::string& match, const std::string& reply, int times = 1, int skip = 0);
  // The requests so far, in order.
  std::vector<PlatformRequest> Requests() const;
  // "METHOD target" of every request, in order.
  std::vector<std::string> RequestLines() const;
  // The raw bytes of request n (from 1).
  std::string RawRequest(int n) const;
  // The body of request n.
  std::string RequestBody(int n) const;
  // The platform's things ("gateway NAME", "edge GW EDGE", "attr THING KEY=VALUE").
  std::vector<std::string> Things() const;

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
  std::string script_;
};

// A JSON reply of status 200 with Content-Length.
std::string JsonReply(const std::string& body, const std::string& status = "200 OK");
