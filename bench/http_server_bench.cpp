// bench-libs: gate_net
// The HTTP server under wrk (-t2 -c50 -d10s, "Connection: close") serving a
// trivial CGI, and, when bench/http_server.sh passes GATE_BENCH_NGINX_PORT,
// nginx serving the same reply bytes under the same load. Reports requests/s,
// the server's workers and the process' threads after the load.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
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

int ProcessThreads() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* e = readdir(dir)) count += e->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

void BM_ServerTrivialCgiUnderWrk(benchmark::State& state) {
  CHttpServer server;
  server.SetBindAddress(htonl(INADDR_LOOPBACK));
  server.requestLog = 0;
  if (!server.StartServer(0, "bench", {{"bench", "trivial.cgi", &TrivialCgi, 0}}, 0, 0, nullptr)) {
    state.SkipWithError("server did not start");
    return;
  }
  double rate = 0;
  for (auto _ : state) rate = RunWrk("http://127.0.0.1:" + std::to_string(server.GetPort()) + "/bench/trivial.cgi");
  if (rate < 0) state.SkipWithError("wrk failed");
  state.counters["requests_per_second"] = rate;
  state.counters["workers_after"] = server.GetWorkerCount();
  state.counters["threads_after"] = ProcessThreads();
  server.StopServer();
}
BENCHMARK(BM_ServerTrivialCgiUnderWrk)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_NginxSameBytesUnderWrk(benchmark::State& state) {
  const char* port = getenv("GATE_BENCH_NGINX_PORT");
  if (!port) {
    state.SkipWithError("no nginx (run bench/http_server.sh)");
    return;
  }
  double rate = 0;
  for (auto _ : state) rate = RunWrk(std::string("http://127.0.0.1:") + port + "/bench/trivial.cgi");
  if (rate < 0) state.SkipWithError("wrk failed");
  state.counters["requests_per_second"] = rate;
}
BENCHMARK(BM_NginxSameBytesUnderWrk)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
