// The fake management service (peers/management_peer.py): records the
// request line of every GET and answers with a status the test sets.
#pragma once

#include <string>
#include <vector>

#include "NetPeers.h"
#include "support/TempDir.h"

class ManagementPeer {
 public:
  bool Start();
  unsigned short port() const { return port_; }
  // The status of every later reply.
  void SetStatus(int status);
  // The request lines so far ("GET <target> HTTP/1.1").
  std::vector<std::string> Requests() const;

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
};
