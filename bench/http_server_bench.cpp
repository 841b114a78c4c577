// bench-libs: gate_net
// The HTTP server under wrk (-t2 -c50 -d10s, "Connection: close") serving a
// trivial CGI, and, when bench/http_server.sh passes GATE_BENCH_NGINX_PORT,
// nginx serving the same reply bytes under the same load. Reports requests/s,
// the server's workers and the process' threads after the load.
//
// The same runs again while 1,000 idle connections (never a byte) and 200
// slowloris connections (a request line, then one header byte a second, the
// header never ending) are held open against the target.
//
// Memory: the server's resident size when idle, while 100 connections each
// announce a 16 MiB body and send one byte, and idle again after 60 parallel
// curl posts of 16 MiB bodies.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpReply.h"
#include "net/HttpServer.h"

extern char** environ;

namespace {

const char* WrkSeconds() {
  const char* seconds = getenv("GATE_BENCH_WRK_SECONDS");
  return seconds ? seconds : "10";
}

int TrivialCgi(SOCKET socket, const std::string&, unsigned short, const std::string&, const std::string&,
               const std::string&, const std::string&, const std::string&, void*) {
  static const std::string body = CHttpReply(200).ToXml();
  CHttpServer::SendResponse(socket, "200 OK", "", body);
  return 0;
}

// Runs wrk against `url`; returns its requests per second, -1 when it fails.
double RunWrk(const std::string& url) {
  std::string out = "/tmp/gate-wrk-" + std::to_string(getpid()) + ".txt";
  std::string duration = std::string(WrkSeconds()) + "s";
  std::vector<std::string> argv = {"wrk", "-t2", "-c50", "-d" + duration, "-H", "Connection: close", url};
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, "wrk", &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(out);
  std::stringstream text;
  text << in.rdbuf();
  unlink(out.c_str());
  std::string report = text.str();
  size_t at = report.find("Requests/sec:");
  if (at == std::string::npos) return -1;
  size_t errors = report.find("Non-2xx");
  if (errors != std::string::npos || report.find("Socket errors") != std::string::npos) {
    fprintf(stderr, "%s\n", report.c_str());
  }
  return atof(report.c_str() + at + 13);
}

// Runs a command to its end (output discarded); its exit status, -1 when it could not start.
pid_t Spawn(std::vector<std::string> argv) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Resident size of this process in MiB (VmRSS).
double ResidentMiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return atof(line.c_str() + 6) / 1024.0;
  }
  return -1;
}

// Hostile clients held open against a port while the object lives: `idle`
// connections that never send, and `slow` ones that send a request line and
// then one header byte a second, never ending the header.
class HostileClients {
 public:
  HostileClients(unsigned short port, int idle, int slow) {
    for (int i = 0; i < idle; ++i) idle_.push_back(sock::Connect("127.0.0.1", port, 5000));
    const std::string start = "GET /bench/trivial.cgi HTTP/1.1\r\nHost: x\r\nX-Slow: ";
    for (int i = 0; i < slow; ++i) {
      SOCKET s = sock::Connect("127.0.0.1", port, 5000);
      sock::SendAll(s, start.data(), static_cast<int>(start.size()), 1000);
      slow_.push_back(s);
    }
    dripper_ = std::thread([this] {
      while (!stop_) {
        for (SOCKET s : slow_) ::send(s, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        for (int i = 0; i < 10 && !stop_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    });
  }
  ~HostileClients() {
    stop_ = true;
    dripper_.join();
    for (SOCKET s : idle_) sock::Close(s);
    for (SOCKET s : slow_) sock::Close(s);
  }
  // Connections that the target has not closed.
  int StillOpen() const {
    int open = 0;
    for (const std::vector<SOCKET>* group : {&idle_, &slow_}) {
      for (SOCKET s : *group) open += s != INVALID_SOCKET && !sock::PeerClosed(s);
    }
    return open;
  }

 private:
  std::vector<SOCKET> idle_;
  std::vector<SOCKET> slow_;
  std::atomic<bool> stop_{false};
  std::thread dripper_;
};

constexpr int kIdleClients = 1000;
constexpr int kSlowClients = 200;

int ProcessThreads() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* e = readdir(dir)) count += e->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

// Starts `server` on a loopback port with the trivial CGI; false (the run skipped) when it cannot.
bool StartTrivialServer(CHttpServer* server, benchmark::State& state) {
  server->SetBindAddress(htonl(INADDR_LOOPBACK));
  server->requestLog = 0;
  if (server->StartServer(0, "bench", {{"bench", "trivial.cgi", &TrivialCgi, 0}}, 0, 0, nullptr)) return true;
  state.SkipWithError("server did not start");
  return false;
}

// state.range(0): 1 with the hostile clients held open during the run.
void BM_ServerTrivialCgiUnderWrk(benchmark::State& state) {
  CHttpServer server;
  if (!StartTrivialServer(&server, state)) return;
  double rate = 0;
  int open = 0;
  for (auto _ : state) {
    std::unique_ptr<HostileClients> hostile;
    if (state.range(0)) hostile = std::make_unique<HostileClients>(server.GetPort(), kIdleClients, kSlowClients);
    rate = RunWrk("http://127.0.0.1:" + std::to_string(server.GetPort()) + "/bench/trivial.cgi");
    if (hostile) open = hostile->StillOpen();
    state.counters["workers_after"] = server.GetWorkerCount();
    state.counters["threads_after"] = ProcessThreads();
  }
  if (rate < 0) state.SkipWithError("wrk failed");
  state.counters["requests_per_second"] = rate;
  if (state.range(0)) state.counters["hostile_open"] = open;
  server.StopServer();
}
BENCHMARK(BM_ServerTrivialCgiUnderWrk)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_NginxSameBytesUnderWrk(benchmark::State& state) {
  const char* port = getenv("GATE_BENCH_NGINX_PORT");
  if (!port) {
    state.SkipWithError("no nginx (run bench/http_server.sh)");
    return;
  }
  double rate = 0;
  int open = 0;
  for (auto _ : state) {
    std::unique_ptr<HostileClients> hostile;
    if (state.range(0)) {
      hostile = std::make_unique<HostileClients>(static_cast<unsigned short>(atoi(port)), kIdleClients, kSlowClients);
    }
    rate = RunWrk(std::string("http://127.0.0.1:") + port + "/bench/trivial.cgi");
    if (hostile) open = hostile->StillOpen();
  }
  if (rate < 0) state.SkipWithError("wrk failed");
  state.counters["requests_per_second"] = rate;
  if (state.range(0)) state.counters["hostile_open"] = open;
}
BENCHMARK(BM_NginxSameBytesUnderWrk)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The server's resident size: idle; while 100 connections announce 16 MiB
// bodies and send one byte; idle again after 60 parallel 16 MiB curl posts.
void BM_ServerMemoryUnderLargeBodies(benchmark::State& state) {
  constexpr int kAnnouncers = 100;
  constexpr int kPosts = 60;
  const int bodySize = CHttpServer::kMaxRequestBody;
  CHttpServer server;
  if (!StartTrivialServer(&server, state)) return;
  std::string url = "http://127.0.0.1:" + std::to_string(server.GetPort()) + "/bench/trivial.cgi";
  char path[] = "/tmp/gate-bench-body-XXXXXX";
  int fd = mkstemp(path);
  std::string chunk(1 << 20, 'b');
  for (int i = 0; i < bodySize / static_cast<int>(chunk.size()); ++i) {
    if (write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) break;
  }
  close(fd);
  std::string header = "POST /bench/trivial.cgi HTTP/1.1\r\nContent-Length: " + std::to_string(bodySize) + "\r\n\r\nx";
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    state.counters["rss_idle_mib"] = ResidentMiB();
    std::vector<SOCKET> announcers;
    for (int i = 0; i < kAnnouncers; ++i) {
      SOCKET s = sock::Connect("127.0.0.1", server.GetPort(), 5000);
      sock::SendAll(s, header.data(), static_cast<int>(header.size()), 5000);
      announcers.push_back(s);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    state.counters["rss_announced_mib"] = ResidentMiB();
    for (SOCKET s : announcers) sock::Close(s);
    std::vector<pid_t> posts;
    for (int i = 0; i < kPosts; ++i) {
      posts.push_back(Spawn({"curl", "-s", "-o", "/dev/null", "--max-time", "120", "--data-binary",
                             std::string("@") + path, url}));
    }
    double peak = 0;
    for (pid_t pid : posts) {
      while (waitpid(pid, nullptr, WNOHANG) == 0) {
        peak = std::max(peak, ResidentMiB());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    state.counters["rss_peak_during_posts_mib"] = peak;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    state.counters["rss_idle_after_posts_mib"] = ResidentMiB();
    state.counters["posted_mib"] = static_cast<double>(kPosts) * bodySize / (1 << 20);
  }
  unlink(path);
  server.StopServer();
}
BENCHMARK(BM_ServerMemoryUnderLargeBodies)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
