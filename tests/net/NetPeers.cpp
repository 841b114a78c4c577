#include "NetPeers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "net/Sock.h"
#include "support/WaitUntil.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Str(int n) { return std::to_string(n); }

bool WriteFile(const std::string& path, const std::string& bytes) {
  return WriteTestFile(path, bytes);
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& workDir, const std::string& logPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Waits for `pid` to end within `timeoutMs`. True when it ended (and was reaped).
bool WaitExit(pid_t pid, int timeoutMs, int* status) {
  auto start = Clock::now();
  for (;;) {
    pid_t r = waitpid(pid, status, WNOHANG);
    if (r == pid || r < 0) return true;
    if (ElapsedMs(start) > timeoutMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

bool PeerProcess::Start(const std::vector<std::string>& argv, const std::string& workDir,
                        const std::string& logPath) {
  Stop();
  pid_ = Spawn(argv, workDir, logPath);
  return pid_ > 0;
}

void PeerProcess::Stop() {
  if (pid_ <= 0) return;
  int status = 0;
  kill(pid_, SIGTERM);
  if (!WaitExit(pid_, 5000, &status)) {
    kill(pid_, SIGKILL);
    WaitExit(pid_, 5000, &status);
  }
  pid_ = -1;
}

int RunCommand(const std::vector<std::string>& argv, const std::string& logPath, int timeoutMs) {
  pid_t pid = Spawn(argv, "", logPath);
  if (pid <= 0) return -1;
  int status = 0;
  if (!WaitExit(pid, timeoutMs, &status)) {
    kill(pid, SIGKILL);
    WaitExit(pid, 5000, &status);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

NeverAcceptingPeer::~NeverAcceptingPeer() {
  for (int s : fillers_) close(s);
  if (listener_ >= 0) close(listener_);
}

bool NeverAcceptingPeer::Start() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(addr);
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      listen(listener_, 0) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
    return false;
  }
  port_ = ntohs(addr.sin_port);
  // Fills the queue until a connect no longer completes.
  for (int i = 0; i < 8; ++i) {
    int pending = 0;
    int s = sock::ConnectNonBlock("127.0.0.1", port_, &pending);
    if (s < 0) return false;
    fillers_.push_back(s);
    if (pending && !sock::WaitConnected(s, 300)) return true;
  }
  return false;
}

unsigned short FreeLoopbackPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(addr);
  unsigned short port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(s);
  return port;
}

bool WaitForPort(unsigned short port, int timeoutMs) {
  auto start = Clock::now();
  while (ElapsedMs(start) < timeoutMs) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    close(s);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool MakeSelfSignedCertificate(const std::string& folder) {
  return RunCommand({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                     "/CN=localhost", "-keyout", folder + "/key.pem", "-out", folder + "/cert.pem"},
                    folder + "/openssl-req.log") == 0;
}

std::string PeerScriptsFolder() { return GATE_NET_PEERS_DIR; }

// ---------------------------------------------------------------- python

bool PythonHttpPeer::Start() {
  mkdir(dir_.Join("replies").c_str(), 0755);
  if (!process_.Start({"python3", PeerScriptsFolder() + "/http_peer.py", dir_.path()}, dir_.path(),
                      dir_.Join("peer.log"))) {
    return false;
  }
  auto start = Clock::now();
  while (ElapsedMs(start) < kPeerStartMs) {
    std::string text = ReadTestFile(dir_.Join("port"));
    if (!text.empty()) {
      port_ = static_cast<unsigned short>(atoi(text.c_str()));
      return WaitForPort(port_);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void PythonHttpPeer::SetReply(const std::string& name, const std::string& bytes) {
  WriteFile(dir_.Join("replies/" + name), bytes);
}

std::string PythonHttpPeer::Request(int n) const {
  std::string path = dir_.Join("requests/" + Str(n) + ".bin");
  auto start = Clock::now();
  while (ElapsedMs(start) < 10000) {
    if (access(path.c_str(), F_OK) == 0) return ReadTestFile(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

int PythonHttpPeer::RequestCount() const {
  int n = 0;
  while (access(dir_.Join("requests/" + Str(n + 1) + ".bin").c_str(), F_OK) == 0) ++n;
  return n;
}

// ---------------------------------------------------------------- nginx

bool NginxPeer::Start() {
  std::string d = dir_.path();
  mkdir(dir_.Join("www").c_str(), 0755);
  mkdir(dir_.Join("www/chunked").c_str(), 0755);
  mkdir(dir_.Join("tmp").c_str(), 0755);
  if (!MakeSelfSignedCertificate(d)) return false;
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreeLoopbackPort();
    tlsPort_ = FreeLoopbackPort();
    std::string common =
        "    root " + d + "/www;\n"
        "    location = /echo { return 200 \"ok\"; }\n"
        "    location /chunked/ { sub_filter_types *; sub_filter 'zz' 'ZZ'; sub_filter_once off; }\n";
    std::string conf =
        "daemon off;\nmaster_process off;\nworker_processes 1;\npid " + d + "/nginx.pid;\n"
        "error_log " + d + "/error.log;\nevents { worker_connections 1024; }\n"
        "http {\n  access_log off;\n  keepalive_requests 100000;\n  client_max_body_size 100m;\n  default_type application/octet-stream;\n"
        "  client_body_temp_path " + d + "/tmp/body;\n  proxy_temp_path " + d + "/tmp/proxy;\n"
        "  fastcgi_temp_path " + d + "/tmp/fastcgi;\n  uwsgi_temp_path " + d + "/tmp/uwsgi;\n"
        "  scgi_temp_path " + d + "/tmp/scgi;\n"
        "  server {\n    listen 127.0.0.1:" + Str(port_) + ";\n" + common + "  }\n"
        "  server {\n    listen 127.0.0.1:" + Str(tlsPort_) + " ssl;\n"
        "    ssl_certificate " + d + "/cert.pem;\n    ssl_certificate_key " + d + "/key.pem;\n" + common + "  }\n"
        "}\n";
    WriteFile(dir_.Join("nginx.conf"), conf);
    if (!process_.Start({"nginx", "-p", d, "-c", d + "/nginx.conf", "-e", d + "/error.log"}, d,
                        dir_.Join("nginx.log"))) {
      return false;
    }
    if (WaitForPort(port_, 10000) && WaitForPort(tlsPort_, 10000)) return true;
    process_.Stop();
  }
  return false;
}

void NginxPeer::AddFile(const std::string& name, const std::string& bytes) {
  WriteFile(dir_.Join("www/" + name), bytes);
}

// ---------------------------------------------------------------- openssl s_server

bool OpenSslServerPeer::Start(const std::vector<std::string>& extra) {
  std::string d = dir_.path();
  if (!MakeSelfSignedCertificate(d)) return false;
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreeLoopbackPort();
    std::vector<std::string> argv = {"openssl", "s_server", "-accept", "127.0.0.1:" + Str(port_),
                                     "-cert", d + "/cert.pem", "-key", d + "/key.pem", "-quiet"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    if (!process_.Start(argv, d, dir_.Join("s_server.log"))) return false;
    if (WaitForPort(port_, 10000)) return true;
    process_.Stop();
  }
  return false;
}

void OpenSslServerPeer::AddFile(const std::string& name, const std::string& bytes) {
  WriteFile(dir_.Join(name), bytes);
}

// ---------------------------------------------------------------- lighttpd

bool LighttpdDigestPeer::Start(const std::string& algorithm,
                               const std::vector<std::pair<std::string, std::string>>& files,
                               const std::string& protectedPrefix) {
  std::string d = dir_.path();
  mkdir(dir_.Join("www").c_str(), 0755);
  mkdir(dir_.Join("www/protected").c_str(), 0755);
  WriteFile(dir_.Join("www/protected/ok.txt"), "secret page\n");
  for (const auto& [path, content] : files) {
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
      mkdir(dir_.Join("www/" + path.substr(0, slash)).c_str(), 0755);
    WriteFile(dir_.Join("www/" + path), content);
  }
  WriteFile(dir_.Join("users"), "user:pw\n");
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreeLoopbackPort();
    std::string conf =
        "server.document-root = \"" + d + "/www\"\n"
        "server.bind = \"127.0.0.1\"\nserver.port = " + Str(port_) + "\n"
        "server.errorlog = \"" + d + "/error.log\"\n"
        "server.upload-dirs = ( \"" + d + "\" )\n"
        "server.modules = ( \"mod_auth\", \"mod_authn_file\" )\n"
        "auth.backend = \"plain\"\nauth.backend.plain.userfile = \"" + d + "/users\"\n"
        "auth.require = ( \"" + protectedPrefix + "\" => ( \"method\" => \"digest\", \"realm\" => \"gate\", "
        "\"require\" => \"valid-user\", \"algorithm\" => \"" + algorithm + "\" ) )\n";
    WriteFile(dir_.Join("lighttpd.conf"), conf);
    if (!process_.Start({"lighttpd", "-D", "-f", d + "/lighttpd.conf"}, d, dir_.Join("lighttpd.log"))) {
      return false;
    }
    if (WaitForPort(port_, 10000)) return true;
    process_.Stop();
  }
  return false;
}
