// bench-libs: gate_recorders
// The recording-server status handler under load (run by bench/zav_status.sh):
// one handler watches the fake servers whose ports the port file lists, each
// sending a 64-channel EventStream part every second stamped with its send
// time. Prints the parts read into records per second, the delay from send to
// MSG_STATUS_RECEIVED (median, p99), the process's threads and resident
// memory, and the rate at which one thread reads the same part into a record.
// Usage: zav_status_bench PORT_FILE PART_FILE SECONDS
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "database/DataStore.h"
#include "entities/NRS.h"
#include "foundation/XmlSerializer.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStatusHandler.h"

namespace {

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct Received {
  std::mutex mutex;
  std::vector<int64_t> delays;    // microseconds, guarded by mutex
  std::vector<int64_t> receipts;  // receipt times (microseconds), guarded by mutex
};

std::atomic<int> g_failures{0};
std::atomic<int> g_connections{0};

void OnMessage(const IMessagePublisher::_message_t* message) {
  if (message->message == "MSG_CONNECT_FAILED") ++g_failures;
  if (message->message == "MSG_CONNECTED") ++g_connections;
  if (message->message != "MSG_STATUS_RECEIVED") return;
  auto* stream = reinterpret_cast<const CZavEventStream*>(message->value2);
  int64_t now = NowMicros();
  int64_t delay = now - atoll(stream->GetCurrentTime().c_str());
  auto* received = static_cast<Received*>(message->context1);
  std::lock_guard<std::mutex> hold(received->mutex);
  received->delays.push_back(delay);
  received->receipts.push_back(now);
}

std::string ProcStatus(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(line.find(':') + 1);
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s PORT_FILE PART_FILE SECONDS\n", argv[0]);
    return 2;
  }
  std::ifstream partFile(argv[2]);
  std::string part((std::istreambuf_iterator<char>(partFile)), std::istreambuf_iterator<char>());
  int seconds = atoi(argv[3]);

  // One thread reading the same part into records, for two seconds.
  int parsed = 0;
  auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
    CZavEventStream stream;
    if (!CXmlSerializer::FromXml(part, &stream) || stream.GetChannelStatuses().size() != 64) return 1;
    ++parsed;
  }
  double parseSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  printf("part: %zu bytes, 64 channels\n", part.size());
  printf("own reader, one thread: %.0f parts/s\n", parsed / parseSeconds);

  CDataStore store(nullptr);
  std::ifstream ports(argv[1]);
  int servers = 0;
  for (int port; ports >> port;) {
    auto row = std::make_unique<CTBLNRS>();
    row->SetNo(++servers);
    row->SetAddr("127.0.0.1");
    row->SetWebPort(port);
    store.AddEntity(row.get(), 0);
  }
  Received received;
  auto handler = std::make_unique<CZavStatusHandler>();
  handler->SubscribeCallback(&OnMessage, &received);
  handler->DataStores[store.GetStoreId()] = &store;
  handler->Mode = 1;
  handler->Interval = 5;
  handler->ExtraTimeout = 10;
  std::string baseThreads = ProcStatus("Threads");
  int64_t started = NowMicros();
  handler->Start();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  std::string threads = ProcStatus("Threads");
  std::string rss = ProcStatus("VmRSS");
  auto stopStart = std::chrono::steady_clock::now();
  handler->Stop();
  double stopMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - stopStart).count();

  std::vector<int64_t> delays;
  int steady = 0;  // parts received in the second half of the run, after the connections settled
  {
    std::lock_guard<std::mutex> hold(received.mutex);
    delays = received.delays;
    for (int64_t at : received.receipts) steady += at >= started + seconds * 500000LL;
  }
  std::sort(delays.begin(), delays.end());
  auto at = [&](double q) { return delays.empty() ? 0.0 : delays[static_cast<size_t>(q * (delays.size() - 1))] / 1000.0; };
  printf("servers: %d, run: %d s\n", servers, seconds);
  printf("handler: %.1f parts/s read into records over the run, %.1f in its second half (offered: at most %d/s)\n",
         static_cast<double>(delays.size()) / seconds, steady / (seconds / 2.0), servers);
  printf("send to MSG_STATUS_RECEIVED: median %.2f ms, p99 %.2f ms\n", at(0.5), at(0.99));
  printf("streams opened: %d, failed: %d\n", g_connections.load(), g_failures.load());
  printf("threads: %s before Start, %s while watching\n", baseThreads.c_str(), threads.c_str());
  printf("resident memory while watching:%s\n", rss.c_str());
  printf("Stop: %.0f ms\n", stopMs);
  return 0;
}
