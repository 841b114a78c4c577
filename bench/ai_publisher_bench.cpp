// bench-libs: gate_services gate_entities
// The AI event road from the receiver's callback to the target's POST, run
// by bench/ai_publisher.sh beside a throwaway MariaDB and an nginx target
// (GATE_BENCH_TARGET_URL). Prints, one line each: records delivered per
// second with 1 and 4 jobs (results injected as fast as the queues take
// them), the latency from callback to post at 200 results/s (p50, p99), the
// lowest injection rate at which a queue overflows ("SendQ is full"), and the
// CPU the idle publisher takes with 10 jobs. With "--body FILE" it only
// writes the body of one result (enciphered, as posted) for wrk's anchor.
#include <mysql.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "BenchDatabase.h"
#include "entities/base/EntitySchema.h"
#include "foundation/FileUtil.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "services/AIEventPublisher.h"
#include "shell/AppFolders.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

CVAR* MakeResult() {
  auto* result = new CVAR;
  result->VasID = 1;
  result->Channel = 1;
  result->Time = "20261209093000000";
  CVAREvent event;
  event.ROINumbers = {1};
  result->SetEvents({event});
  return result;
}

// The installation's rows: one device on server 1, channel 1, whose region 1
// raises "Intrusion".
bool CreateInstallation(const BenchServer& server) {
  MYSQL* conn = ConnectBenchServer(server);
  if (!conn) return false;
  bool ok = RunSql(conn, "CREATE DATABASE " + server.database + " CHARACTER SET euckr") &&
            RunSql(conn, "USE " + server.database);
  std::string script = GetDatabaseCreationScript();
  for (size_t start = 0; ok && start < script.size();) {
    size_t end = script.find("\r\n\r\n", start);
    if (end == std::string::npos) end = script.size();
    std::string statement = script.substr(start, end - start);
    if (statement.find_first_not_of(" \r\n\t") != std::string::npos) ok = RunSql(conn, statement);
    start = end + 4;
  }
  ok = ok && RunSql(conn, "INSERT INTO TBL_Camera (no, name) VALUES (12, 'Gate')") &&
       RunSql(conn, "INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID, ChannelNo) VALUES (1, 1, 12, 1)") &&
       RunSql(conn, "INSERT INTO TBL_VasIntelligentEvent (VasIntelligentEventID, Name, EventType) "
                    "VALUES (3, 'Intrusion', 1)") &&
       RunSql(conn, "INSERT INTO TBL_VasROI (VasROIID, VasDeviceID, ROINumber, VasIntelligentEventID, Enable) "
                    "VALUES (1, 1, 1, 3, 1)");
  mysql_close(conn);
  return ok;
}

class Bench {
 public:
  Bench(const BenchServer& server, const std::string& url) : url_(url) {
    settings_.Load(GetAppSettingsFilePath());
    settings_.SetAutoSave(false);
    settings_.SetDatabaseAddress(server.host);
    settings_.SetDatabasePort(static_cast<int>(server.port));
    settings_.SetDatabaseName(server.database);
    settings_.SetDatabaseLoginID(server.user);
    settings_.SetDatabasePassword(server.password);
  }

  // A started publisher with `jobs` jobs posting to the target.
  std::unique_ptr<CAIEventPublisher> Start(int jobs) {
    CAIEventPublisherItems list;
    std::vector<CAIEventPublisherItem> items;
    for (int id = 1; id <= jobs; ++id) {
      CAIEventPublisherItem job;
      job.SetID(id);
      job.SetTargetUrl(url_);
      items.push_back(job);
    }
    list.SetItems(items);
    settings_.Option_SetAIEventPublisherItems(list);
    auto publisher = std::make_unique<CAIEventPublisher>(settings_);
    publisher->Start();
    auto start = Clock::now();
    while (publisher->GetMainPassCount() < 1 && SecondsSince(start) < 30) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return publisher;
  }

  // Posts per second over `seconds` (each record is posted once per job),
  // injecting while job 1's queue holds fewer than 900.
  double Throughput(int jobs, double seconds) {
    auto publisher = Start(jobs);
    auto start = Clock::now();
    while (SecondsSince(start) < seconds) {
      if (publisher->GetQueuedBodyCount(1) < 900) {
        CAIEventPublisher::VasMetaCallback(MakeResult(), publisher.get());
      } else {
        std::this_thread::yield();
      }
    }
    double rate = static_cast<double>(publisher->GetPostCount()) / SecondsSince(start);
    publisher->Stop();
    return rate;
  }

  // Milliseconds from the callback to the end of its post, one result at a time at `rate` per second.
  std::vector<double> Latencies(int rate, int count) {
    auto publisher = Start(1);
    std::vector<double> latencies;
    auto next = Clock::now();
    for (int i = 0; i < count; ++i) {
      std::this_thread::sleep_until(next);
      next += std::chrono::microseconds(1000000 / rate);
      uint64_t posted = publisher->GetPostCount();
      auto start = Clock::now();
      CAIEventPublisher::VasMetaCallback(MakeResult(), publisher.get());
      while (publisher->GetPostCount() == posted && SecondsSince(start) < 5) std::this_thread::yield();
      latencies.push_back(SecondsSince(start) * 1000);
    }
    publisher->Stop();
    std::sort(latencies.begin(), latencies.end());
    return latencies;
  }

  // The lowest of the rates at which a queue overflows within 3 s; 0 when none does.
  int OverflowRate(const std::vector<int>& rates) {
    for (int rate : rates) {
      auto publisher = Start(1);
      auto start = Clock::now();
      auto next = start;
      while (SecondsSince(start) < 3 && publisher->GetFlushedQueueCount() == 0) {
        for (int i = 0; i < rate / 1000; ++i) CAIEventPublisher::VasMetaCallback(MakeResult(), publisher.get());
        next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(next);
      }
      bool overflowed = publisher->GetFlushedQueueCount() > 0;
      publisher->Stop();
      if (overflowed) return rate;
    }
    return 0;
  }

  // Percent of one core the started, idle publisher takes over `seconds`.
  double IdleCpu(int jobs, double seconds) {
    auto publisher = Start(jobs);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    double before = CpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double used = CpuSeconds() - before;
    publisher->Stop();
    return used / seconds * 100;
  }

 private:
  static double CpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }

  std::string url_;
  CLocalAppSettings settings_;
};

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = getenv("TMPDIR");
  std::string folder = std::string(tmp ? tmp : "/tmp") + "/ai_publisher_bench_XXXXXX";
  if (!mkdtemp(folder.data())) return 1;
  platform::SetProgramFolderOverride(folder);
  CreateDirectoryPath(GetSettingsFolderPath());
  if (argc == 3 && std::string(argv[1]) == "--body") {
    CServiceSettings encoding;
    encoding.encryptKey = "Wr7Hq2xcB9sLm5Dv";
    CAIEventData record;
    record.SetDEV_ID(12);
    record.SetEVT_ID(3);
    record.SetEVT_NM("Intrusion");
    record.SetEVT_TM("2026-12-09 09:30:00");
    return platform::WriteFileAtomically(argv[2], EncodeEventBody(SerializeAIEvents({record}), encoding) + "\r\n\r\n")
               ? 0
               : 1;
  }
  const char* url = getenv("GATE_BENCH_TARGET_URL");
  BenchServer server;
  if (!url || !BenchServerFromEnvironment("aipub_bench_", &server)) {
    fprintf(stderr, "run through bench/ai_publisher.sh\n");
    return 1;
  }
  if (!CreateInstallation(server)) return 1;
  Bench bench(server, url);
  double one = bench.Throughput(1, 10);
  printf("1 job:   %8.0f posts/s = %8.0f records/s delivered\n", one, one);
  double four = bench.Throughput(4, 10);
  printf("4 jobs:  %8.0f posts/s = %8.0f records/s delivered to every job\n", four, four / 4);
  std::vector<double> latencies = bench.Latencies(200, 1000);
  printf("latency at 200/s:           p50 %.2f ms, p99 %.2f ms\n", latencies[latencies.size() / 2],
         latencies[latencies.size() * 99 / 100]);
  printf("queue overflows from:       %8d results/s\n", bench.OverflowRate({2000, 4000, 8000, 16000, 32000, 64000}));
  printf("idle CPU, 10 jobs:          %8.2f %% of one core\n", bench.IdleCpu(10, 10));
  DropBenchDatabase(server);
  return 0;
}
