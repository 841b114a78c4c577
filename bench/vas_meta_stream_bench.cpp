// bench-libs: gate_analysis
// The own-kind metadata stream end to end: a fake analysis server (a child
// process, so that its CPU is not counted) streams M-size result parts to 1
// and to 16 clients of the metadata receiver, which parse them and deliver
// every result to a callback. Beside each, a bare recv loop drains the same
// bytes from the same fake (the anchor). Figures: results/s and CPU
// microseconds per result (this process only), and at the end the reader's
// CPU per result as a ratio to the anchor's. The same for one OGQ and one SKT
// AI engine streaming their framed M-size messages (EngineResultTexts.h),
// beside a bare recv loop draining the same bytes. Last, 16 connected
// servers that send nothing: the receiver's CPU share over 5 s.
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "EngineResultTexts.h"
#include "VarResultTexts.h"
#include "analysis/VasMetaReceiver.h"

namespace {

constexpr int kPartsForOne = 20000;      // per connection, one client
constexpr int kPartsForSixteen = 2000;   // per connection, sixteen clients
constexpr int kEngineMessages = 20000;   // per engine connection

enum Listener { kStreamOne, kStreamSixteen, kSilent, kOgqStream, kSktStream, kListeners };
unsigned short g_ports[kListeners];
pid_t g_streamer = -1;
std::map<std::string, double> g_cpuPerResult;

const std::string& Part() {
  static const std::string part = "--1234567890\r\nContent-Length: " +
                                  std::to_string(bench_texts::MediumText().size()) + "\r\n\r\n" +
                                  bench_texts::MediumText() + "\r\n";
  return part;
}

constexpr char kOk[] = "HTTP/1.1 200 OK\r\n\r\n";

// One framed engine message: OGQ a 16-byte big-endian header (0, type 2,
// length, 0), SKT AI a 4-byte little-endian length; then the body.
const std::string& EngineMessage(Listener listener) {
  static const std::string ogq = [] {
    std::string body = bench_texts::OgqText();
    uint32_t words[4] = {0, 2, static_cast<uint32_t>(body.size()), 0};
    std::string message;
    for (uint32_t word : words)
      for (int shift = 24; shift >= 0; shift -= 8) message += static_cast<char>((word >> shift) & 0xff);
    return message + body;
  }();
  static const std::string skt = [] {
    std::string body = bench_texts::SktAIText();
    std::string message;
    for (int shift = 0; shift < 32; shift += 8) message += static_cast<char>((body.size() >> shift) & 0xff);
    return message + body;
  }();
  return listener == kOgqStream ? ogq : skt;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Sends `count` copies of `unit` in batches of about 256 KB after `first`.
bool SendRepeated(int fd, const std::string& first, const std::string& unit, int count) {
  std::string batch = first;
  for (int i = 0; i < count; ++i) {
    batch += unit;
    if (batch.size() > 256 * 1024 || i + 1 == count) {
      if (!SendAll(fd, batch.data(), batch.size())) return false;
      batch.clear();
    }
  }
  return batch.empty() || SendAll(fd, batch.data(), batch.size());
}

// The child, for an engine: streams its framed messages at once (an engine
// reads no request), then holds the connection.
void ServeEngine(int fd, Listener listener) {
  SendRepeated(fd, "", EngineMessage(listener), kEngineMessages);
  char buffer[4096];
  while (recv(fd, buffer, sizeof(buffer), 0) > 0) {
  }
  close(fd);
}

// The child: reads a request (its header and its body, each ending in an
// empty line), answers 200, streams its parts, then holds the connection.
void Serve(int fd, int parts) {
  std::string request;
  char buffer[4096];
  size_t first;
  while ((first = request.find("\r\n\r\n")) == std::string::npos ||
         request.find("\r\n\r\n", first + 4) == std::string::npos) {
    ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) return;
    request.append(buffer, n);
  }
  if (!SendRepeated(fd, kOk, Part(), parts)) return;
  while (recv(fd, buffer, sizeof(buffer), 0) > 0) {
  }
  close(fd);
}

void StartStreamer() {
  int listeners[kListeners];
  for (int i = 0; i < kListeners; ++i) {
    listeners[i] = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    bind(listeners[i], reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listeners[i], 64);
    getsockname(listeners[i], reinterpret_cast<sockaddr*>(&address), &length);
    g_ports[i] = ntohs(address.sin_port);
  }
  g_streamer = fork();
  if (g_streamer != 0) {
    for (int fd : listeners) close(fd);
    return;
  }
  const int parts[kListeners] = {kPartsForOne, kPartsForSixteen, 0, 0, 0};
  for (;;) {
    pollfd polls[kListeners];
    for (int i = 0; i < kListeners; ++i) polls[i] = {listeners[i], POLLIN, 0};
    if (poll(polls, kListeners, 1000) < 0) _exit(0);
    if (getppid() == 1) _exit(0);
    for (int i = 0; i < kListeners; ++i) {
      if (!(polls[i].revents & POLLIN)) continue;
      int fd = accept(listeners[i], nullptr, nullptr);
      if (fd < 0) continue;
      if (i == kOgqStream || i == kSktStream) {
        std::thread(ServeEngine, fd, static_cast<Listener>(i)).detach();
      } else {
        std::thread(Serve, fd, parts[i]).detach();
      }
    }
  }
}

struct Counter {
  static bool Callback(CVAR* result, void* param) {
    static_cast<Counter*>(param)->results.fetch_add(1);
    delete result;
    return true;
  }
  std::atomic<long> results{0};
};

CVasConnInfo Server(unsigned short port, int vasId) {
  CVasConnInfo info;
  info.VasID = vasId;
  info.Address = "127.0.0.1";
  info.Port = port;
  return info;
}

void Report(benchmark::State& state, const std::string& name, long results, double wall, double cpu) {
  state.counters["results_per_s"] = results / wall;
  state.counters["cpu_us_per_result"] = cpu * 1e6 / results;
  g_cpuPerResult[name] = cpu / results;
}

// A TCP connection to `port` on the loopback.
int ConnectLoopback(unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  return fd;
}

// The anchor's loop: recv into a 64 KB buffer until `total` bytes came.
void Drain(int fd, size_t total) {
  std::vector<char> buffer(64 * 1024);
  size_t received = 0;
  while (received < total) {
    ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    received += static_cast<size_t>(n);
  }
}

// The receiver with `clients` clients, each streamed `parts` parts.
void BM_Receiver(benchmark::State& state) {
  int clients = static_cast<int>(state.range(0));
  int parts = clients == 1 ? kPartsForOne : kPartsForSixteen;
  unsigned short port = g_ports[clients == 1 ? kStreamOne : kStreamSixteen];
  for (auto _ : state) {
    Counter counter;
    CVasMetaReceiver receiver;
    receiver.SetFileLogFolder("");
    for (int i = 0; i < clients; ++i) receiver.ConnInfos.push_back(Server(port, i + 1));
    long expected = static_cast<long>(clients) * parts;
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    receiver.Run(&Counter::Callback, &counter);
    while (counter.results.load() < expected) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    receiver.Stop();
    Report(state, "receiver/" + std::to_string(clients), expected, wall, cpu);
  }
}

// The anchor: `clients` threads each sending a request and draining the same
// stream with recv into a 64 KB buffer.
void BM_BareRecv(benchmark::State& state) {
  int clients = static_cast<int>(state.range(0));
  int parts = clients == 1 ? kPartsForOne : kPartsForSixteen;
  unsigned short port = g_ports[clients == 1 ? kStreamOne : kStreamSixteen];
  const size_t total = strlen(kOk) + static_cast<size_t>(parts) * Part().size();
  for (auto _ : state) {
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
      threads.emplace_back([&] {
        int fd = ConnectLoopback(port);
        const char request[] = "POST /stream/meta.cgi HTTP/1.1\r\nContent-Length: 4\r\n\r\n\r\n\r\n";
        SendAll(fd, request, sizeof(request) - 1);
        Drain(fd, total);
        close(fd);
      });
    }
    for (std::thread& thread : threads) thread.join();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    Report(state, "recv/" + std::to_string(clients), static_cast<long>(clients) * parts, wall, cpu);
  }
}

// CPU seconds used so far by this process's threads, grouped by thread name
// (/proc/self/task/<tid>/comm, and the run time in nanoseconds that
// /proc/self/task/<tid>/schedstat gives first).
std::map<std::string, double> CpuByThread() {
  std::map<std::string, double> seconds;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return seconds;
  while (dirent* task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    std::string folder = std::string("/proc/self/task/") + task->d_name;
    std::ifstream commFile(folder + "/comm");
    std::ifstream schedFile(folder + "/schedstat");
    std::string name;
    unsigned long long runNs = 0;
    if (!std::getline(commFile, name) || !(schedFile >> runNs)) continue;
    std::string group = name.rfind("VAS_META_PARSER", 0) == 0 ? "parser pool workers"
                        : name.rfind("CVasMeta", 0) == 0  ? "client and receiver threads"
                                                           : "other threads";
    seconds[group] += runNs / 1e9;
  }
  closedir(tasks);
  return seconds;
}

// Sixteen connected servers that send nothing: the share of one CPU used,
// in all and by the kind of thread.
void BM_IdleSixteen(benchmark::State& state) {
  for (auto _ : state) {
    Counter counter;
    CVasMetaReceiver receiver;
    receiver.SetFileLogFolder("");
    for (int i = 0; i < 16; ++i) receiver.ConnInfos.push_back(Server(g_ports[kSilent], i + 1));
    receiver.Run(&Counter::Callback, &counter);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double cpu = CpuSeconds();
    std::map<std::string, double> before = CpuByThread();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    std::map<std::string, double> after = CpuByThread();
    cpu = CpuSeconds() - cpu;
    receiver.Stop();
    state.counters["cpu_percent"] = cpu / 5.0 * 100.0;
    for (const auto& [group, seconds] : after)
      printf("idle, %s: %.2f%% of one CPU\n", group.c_str(), (seconds - before[group]) / 5.0 * 100.0);
  }
}

// One engine's client (OGQ or SKT AI, by listener) receiving and parsing its
// messages to the callback.
void BM_EngineReceiver(benchmark::State& state) {
  Listener listener = static_cast<Listener>(state.range(0));
  for (auto _ : state) {
    Counter counter;
    CVasMetaReceiver receiver;
    receiver.SetFileLogFolder("");
    CVasConnInfo info = Server(g_ports[listener], 1);
    info.Type = listener == kOgqStream ? kVasKindOgq : kVasKindSktServer;
    info.CameraChannels[3] = 1;  // the camera of the OGQ text
    receiver.ConnInfos.push_back(info);
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    receiver.Run(&Counter::Callback, &counter);
    while (counter.results.load() < kEngineMessages) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    receiver.Stop();
    Report(state, std::string("receiver/") + (listener == kOgqStream ? "OGQ" : "SKTAI"), kEngineMessages, wall, cpu);
  }
}

// The anchor: one thread connecting and draining the same engine stream with
// recv into a 64 KB buffer.
void BM_EngineBareRecv(benchmark::State& state) {
  Listener listener = static_cast<Listener>(state.range(0));
  const size_t total = static_cast<size_t>(kEngineMessages) * EngineMessage(listener).size();
  for (auto _ : state) {
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    int fd = ConnectLoopback(g_ports[listener]);
    Drain(fd, total);
    close(fd);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    Report(state, std::string("recv/") + (listener == kOgqStream ? "OGQ" : "SKTAI"), kEngineMessages, wall, cpu);
  }
}

BENCHMARK(BM_BareRecv)->Arg(1)->Arg(16)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Receiver)->Arg(1)->Arg(16)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineBareRecv)->Arg(kOgqStream)->Arg(kSktStream)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineReceiver)->Arg(kOgqStream)->Arg(kSktStream)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleSixteen)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  StartStreamer();  // before any thread exists
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const char* engine : {"OGQ", "SKTAI"}) {
    double reader = g_cpuPerResult[std::string("receiver/") + engine];
    double anchor = g_cpuPerResult[std::string("recv/") + engine];
    if (reader > 0 && anchor > 0)
      printf("%s: receiver CPU per result / bare recv CPU per message = %.1f\n", engine, reader / anchor);
  }
  for (const char* clients : {"1", "16"}) {
    double reader = g_cpuPerResult[std::string("receiver/") + clients];
    double anchor = g_cpuPerResult[std::string("recv/") + clients];
    if (reader > 0 && anchor > 0)
      printf("%s client(s): receiver CPU per result / bare recv CPU per part = %.1f\n", clients, reader / anchor);
  }
  kill(g_streamer, SIGTERM);
  waitpid(g_streamer, nullptr, 0);
  return 0;
}
