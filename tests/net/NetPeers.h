// Real peers for the network tests, each started on a free loopback port inside
// the test and stopped when its object goes: the python HTTP target that
// records raw requests, nginx (plain and TLS), openssl s_server and lighttpd
// with Digest authentication.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

// One child process, ended (SIGTERM, then SIGKILL) when the object goes.
class PeerProcess {
 public:
  PeerProcess() = default;
  ~PeerProcess() { Stop(); }
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // Starts `argv` (no shell) in `workDir` with output to `logPath`.
  bool Start(const std::vector<std::string>& argv, const std::string& workDir, const std::string& logPath);
  void Stop();
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

// A loopback listener that never accepts and whose queue is full: a connect
// to it stays pending (its SYNs are dropped) until the client gives up.
class NeverAcceptingPeer {
 public:
  ~NeverAcceptingPeer();
  bool Start();
  unsigned short port() const { return port_; }

 private:
  int listener_ = -1;
  std::vector<int> fillers_;
  unsigned short port_ = 0;
};

// How long the python peer may take to start listening: generous, for a loaded machine.
constexpr int kPeerStartMs = 60000;

// A loopback port that was free a moment ago (for peers that need a fixed one).
unsigned short FreeLoopbackPort();
// Waits until 127.0.0.1:port accepts connections. False after `timeoutMs`.
bool WaitForPort(unsigned short port, int timeoutMs = kPeerStartMs);
// Writes cert.pem and key.pem (self-signed, CN=localhost) into `folder`.
bool MakeSelfSignedCertificate(const std::string& folder);
// The folder of the peer scripts (tests/net/peers).
std::string PeerScriptsFolder();

// The python HTTP target (peers/http_peer.py).
class PythonHttpPeer {
 public:
  bool Start();
  unsigned short port() const { return port_; }
  // Sets the bytes answered for /r/<name> (or for its k-th request with "name#k").
  void SetReply(const std::string& name, const std::string& bytes);
  // Raw bytes of request n (from 1), waiting a little for the file; "" when absent.
  std::string Request(int n) const;
  int RequestCount() const;

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
};

// nginx serving `www/` on a plain and a TLS port; /echo answers 200 "ok" to
// any method, /chunked/* answers chunked.
class NginxPeer {
 public:
  bool Start();
  unsigned short port() const { return port_; }
  unsigned short tlsPort() const { return tlsPort_; }
  // Writes a file under www/.
  void AddFile(const std::string& name, const std::string& bytes);
  std::string Folder() const { return dir_.path(); }

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
  unsigned short tlsPort_ = 0;
};

// openssl s_server with the given extra arguments (-WWW, -HTTP, -tls1_2 ...),
// serving files from its folder.
class OpenSslServerPeer {
 public:
  bool Start(const std::vector<std::string>& extra);
  unsigned short port() const { return port_; }
  void AddFile(const std::string& name, const std::string& bytes);

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
};

// lighttpd with mod_auth Digest ("MD5" or "SHA-256") over /protected/, user
// "user" with password "pw" in realm "gate"; serves `www/` with /protected/ok.txt.
// A caller may add static files (path below www/, content) and protect
// another prefix instead.
class LighttpdDigestPeer {
 public:
  bool Start(const std::string& algorithm,
             const std::vector<std::pair<std::string, std::string>>& files = {},
             const std::string& protectedPrefix = "/protected/");
  unsigned short port() const { return port_; }

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
};

// Runs a command to its end, output to `logPath`. Returns its exit status, -1 when it could not run.
int RunCommand(const std::vector<std::string>& argv, const std::string& logPath, int timeoutMs = 60000);
