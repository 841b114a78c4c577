// bench-libs: gate_services gate_entities
// The metro road from a UDP datagram to the target sites' POSTs, run by
// bench/metro_receiver.sh against an nginx target (GATE_BENCH_TARGET_URL).
// For one and two sites, datagrams with distinct train and car keys are sent
// from a second socket at rising rates for 3 s each; printed per rate: events
// accepted per second, events forwarded per second (posts / sites, counted
// until every queue is drained or 20 s pass), events lost to the socket
// (sent - accepted, and the growth of "Udp: RcvbufErrors" in /proc/net/snmp,
// which counts every UDP socket of the machine), queues emptied because they
// were full, log bytes per datagram (the process log on), and the posts per
// second to nginx as a ratio to wrk's in the same run (GATE_BENCH_ANCHOR_1
// and _2: the same body on fresh connections, one and two at a time). With
// "--body FILE" it only writes the body one event is posted with, for wrk's
// anchor.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/FileUtil.h"
#include "foundation/JsonSerializer.h"
#include "foundation/Log.h"
#include "foundation/XmlSerializer.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "services/VuzorMetroEventReceiver.h"
#include "shell/AppFolders.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string EventJson(uint64_t n) {
  return "{\"versionNo\":\"1\",\"trainNo\":\"" + std::to_string(n / 10) + "\",\"carNo\":" + std::to_string(n % 10) +
         ",\"eventType\":7,\"DateTimeRaised\":\"2026-12-10 10:00:00\",\"cameraNo\":5,"
         "\"camera\":[\"rtsp://10.0.0.1/live\",\"rtsp://10.0.0.2/live\"]}";
}

std::string Datagram(const std::string& json) {
  auto n = static_cast<uint32_t>(json.size());
  std::string bytes{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                    static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  return bytes + json;
}

// "Udp: RcvbufErrors" of /proc/net/snmp; 0 when it cannot be read.
long long UdpReceiveBufferErrors() {
  std::ifstream snmp("/proc/net/snmp");
  std::string line, names;
  while (std::getline(snmp, line)) {
    if (line.rfind("Udp: ", 0) != 0) continue;
    if (names.empty()) {
      names = line;
      continue;
    }
    std::istringstream n(names), v(line);
    std::string name, value;
    while (n >> name && v >> value) {
      if (name == "RcvbufErrors") return atoll(value.c_str());
    }
  }
  return 0;
}

unsigned short FreeUdpPort() {
  int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(s, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

long long FileBytes(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

struct Result {
  double acceptedPerSec = 0;
  double forwardedPerSec = 0;
  double delivered = 0;  // posts per site / events accepted
  long long lost = 0;
  long long rcvbufErrors = 0;
  int fullQueues = 0;
  double logBytesPerDatagram = 0;
};

Result Run(CLocalAppSettings& settings, const std::string& url, int sites, int rate, double seconds,
           const std::string& logPath) {
  unsigned short port = FreeUdpPort();
  CVuzorMetroEventReceiverItem job;
  job.SetID(1);
  job.SetEnable(true);
  job.SetPort(port);
  std::vector<CHttpTargetSite> targets(static_cast<size_t>(sites));
  for (CHttpTargetSite& site : targets) site.SetTargetUrl(url);
  job.SetTargetSites(targets);
  CVuzorMetroEventReceiverItems list;
  list.SetItems({job});
  settings.Option_SetVuzorMetroEventReceiverItems(list);

  int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  CGenericLogger* logger = GetProcessLogger();
  logger->SetDebugOutputFd(logFd);
  logger->SetLevelFlags(1, LOG_OUTPUT_DEBUGGER);

  auto receiver = std::make_unique<CVuzorMetroEventReceiver>(settings);
  receiver->Initialize();
  receiver->Start();
  int sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  static uint64_t key = 0;  // distinct keys across runs: no duplicate is ever skipped
  long long errorsBefore = UdpReceiveBufferErrors();
  uint64_t sent = 0;
  auto start = Clock::now();
  auto next = start;
  const int perMs = rate / 1000;
  while (SecondsSince(start) < seconds) {
    for (int i = 0; i < perMs; ++i) {
      std::string bytes = Datagram(EventJson(key++));
      sendto(sender, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
      ++sent;
    }
    next += std::chrono::milliseconds(1);
    std::this_thread::sleep_until(next);
  }
  double sendSeconds = SecondsSince(start);
  // Accepted: wait until the count stops growing.
  uint64_t accepted = receiver->GetAcceptedCount();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    uint64_t now = receiver->GetAcceptedCount();
    if (now == accepted) break;
    accepted = now;
  }
  long long errors = UdpReceiveBufferErrors() - errorsBefore;
  // Forwarded: until every queue is drained and the posts stop growing; the
  // rate is over the time from the first datagram to the last post.
  uint64_t posts = receiver->GetSitePostCount();
  double lastPost = SecondsSince(start);
  for (;;) {
    bool drained = true;
    for (int s = 0; s < sites; ++s) drained = drained && receiver->GetSiteQueueSize(s) == 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    uint64_t now = receiver->GetSitePostCount();
    if (now != posts) lastPost = SecondsSince(start);
    if ((drained && now == posts) || SecondsSince(start) > seconds + 20) break;
    posts = now;
  }
  double postSeconds = std::max(lastPost, sendSeconds);
  receiver->Stop();
  receiver.reset();
  close(sender);
  logger->SetLevelFlags(1, 0);
  logger->SetDebugOutputFd(2);
  close(logFd);

  std::ifstream log(logPath);
  std::string line;
  int full = 0;
  while (std::getline(log, line)) full += line.find("SendQ is full") != std::string::npos ? 1 : 0;

  Result result;
  result.acceptedPerSec = static_cast<double>(accepted) / sendSeconds;
  result.forwardedPerSec = static_cast<double>(posts) / sites / postSeconds;
  result.delivered = accepted ? static_cast<double>(posts) / sites / static_cast<double>(accepted) : 0;
  result.lost = static_cast<long long>(sent - accepted);
  result.rcvbufErrors = errors;
  result.fullQueues = full;
  result.logBytesPerDatagram = static_cast<double>(FileBytes(logPath)) / static_cast<double>(sent);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = getenv("TMPDIR");
  std::string folder = std::string(tmp ? tmp : "/tmp") + "/metro_receiver_bench_XXXXXX";
  if (!mkdtemp(folder.data())) return 1;
  platform::SetProgramFolderOverride(folder);
  CreateDirectoryPath(GetSettingsFolderPath());
  if (argc == 3 && std::string(argv[1]) == "--body") {
    CDMEventData event;
    std::string json = EventJson(0);
    if (!CJsonSerializer::Deserialize(json, &event)) return 1;
    return platform::WriteFileAtomically(argv[2], CXmlSerializer::ToXml(event) + "\r\n\r\n") ? 0 : 1;
  }
  const char* url = getenv("GATE_BENCH_TARGET_URL");
  if (!url) {
    fprintf(stderr, "run through bench/metro_receiver.sh\n");
    return 1;
  }
  CLocalAppSettings settings;
  settings.Load(GetAppSettingsFilePath());
  settings.SetAutoSave(false);
  const std::string logPath = folder + "/bench.log";
  const double anchors[] = {0, atof(getenv("GATE_BENCH_ANCHOR_1") ? getenv("GATE_BENCH_ANCHOR_1") : "0"),
                            atof(getenv("GATE_BENCH_ANCHOR_2") ? getenv("GATE_BENCH_ANCHOR_2") : "0")};
  printf("%5s %7s %10s %11s %9s %6s %13s %11s %11s %12s\n", "sites", "rate/s", "accepted/s", "forwarded/s",
         "delivered", "lost",
         "RcvbufErrors", "full queues", "log B/dgram", "posts/anchor");
  for (int sites : {1, 2}) {
    for (int rate : {1000, 2000, 4000, 8000, 16000}) {
      Result r = Run(settings, url, sites, rate, 3.0, logPath);
      double anchor = anchors[sites];
      printf("%5d %7d %10.0f %11.0f %9.3f %6lld %13lld %11d %11.1f %12.2f\n", sites, rate, r.acceptedPerSec,
             r.forwardedPerSec, r.delivered, r.lost, r.rcvbufErrors, r.fullQueues, r.logBytesPerDatagram,
             anchor > 0 ? r.forwardedPerSec * sites / anchor : 0.0);
      fflush(stdout);
    }
  }
  return 0;
}
