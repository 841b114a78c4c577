// bench-libs: gate_services gate_entities
// The server status publisher beside a throwaway MariaDB (bench/server_status.sh):
//  - one main pass over 100 recording servers and 100 analysis servers (the
//    source rows read again and compared column by column with the live
//    store's, nothing changed), timed beside the mariadb client selecting
//    both tables to /dev/null in the same run (the anchor: the same rows);
//  - the CPU the running publisher takes with 10 jobs that are not due (the
//    servers removed first, so that their handlers' retries do not count),
//    its senders sleeping until the next due time (at most a second), beside
//    the same publisher whose senders look every 10 ms (the anchor).
// Prints one line per figure with its ratio to its anchor.
#include <mysql.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchDatabase.h"
#include "entities/base/EntitySchema.h"
#include "services/ServerStatusPublisher.h"
#include "shell/AppFolders.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kServers = 100;
constexpr int kJobs = 10;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// 100 recording servers and 100 analysis servers on a port where nothing
// answers (their handlers fail fast and retry), so the pass and the
// handlers' start have their full work.
bool CreateInstallation(const BenchServer& server) {
  MYSQL* conn = CreateBenchDatabaseFromScript(server, GetDatabaseCreationScript());
  if (!conn) return false;
  std::string zav = "INSERT INTO TBL_Zav (name, addr, web_port) VALUES ";
  std::string vas = "INSERT INTO TBL_Vas (Name, Type, Addr, WebPort) VALUES ";
  for (int n = 1; n <= kServers; ++n) {
    const std::string sep = n == 1 ? "" : ", ";
    zav += sep + "('nrs " + std::to_string(n) + "', '127.0.0.1', 1)";
    vas += sep + "('vas " + std::to_string(n) + "', 1, '127.0.0.1', 1)";
  }
  const bool ok = RunSql(conn, zav) && RunSql(conn, vas);
  mysql_close(conn);
  return ok;
}

// The publisher with its main pass callable from the bench's thread; the
// pool's own passes come an hour apart, so the bench's passes run alone.
class BenchPublisher : public CServerStatusPublisher {
 public:
  using CServerStatusPublisher::CServerStatusPublisher;
  using CServerStatusPublisher::OnPublisherMain;
  ~BenchPublisher() override { Stop(); }
};

CEventServiceConfig HourlyMainPass() {
  CEventServiceConfig config = kServerStatusPublisherConfig;
  config.mainDelayMs = 3600 * 1000;
  config.senderFirstDelayMs = 0;
  return config;
}

class Bench {
 public:
  explicit Bench(const BenchServer& server) {
    settings_.Load(GetAppSettingsFilePath());
    settings_.SetAutoSave(false);
    settings_.SetDatabaseAddress(server.host);
    settings_.SetDatabasePort(static_cast<int>(server.port));
    settings_.SetDatabaseName(server.database);
    settings_.SetDatabaseLoginID(server.user);
    settings_.SetDatabasePassword(server.password);
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptContents", "0");
    CServerStatusPublisherItems list;
    std::vector<CServerStatusPublisherItem> items;
    for (int id = 1; id <= kJobs; ++id) {
      CServerStatusPublisherItem job;
      job.SetID(id);
      job.SetTargetUrl("http://127.0.0.1:1/status");
      job.SetPeriod(3600);
      items.push_back(job);
    }
    list.SetItems(items);
    settings_.Option_SetServerStatusPublisherItems(list);
  }

  // A started publisher after its first pass (handlers started) and the
  // first attempt of every job (so none is due for an hour).
  std::unique_ptr<BenchPublisher> Start(int senderSleepMs) {
    auto publisher = std::make_unique<BenchPublisher>(settings_, platform::SystemClock(), HourlyMainPass());
    publisher->SetSenderLongestSleep(senderSleepMs);
    publisher->Start();
    const auto start = Clock::now();
    auto ready = [&] {
      if (publisher->GetHandlerStartCount() < 1) return false;
      for (int id = 1; id <= kJobs; ++id) {
        if (publisher->GetItemStatus(id).GetLastDateTimeExecuted().empty()) return false;
      }
      return true;
    };
    while (!ready() && SecondsSince(start) < 60) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return publisher;
  }

  // Seconds per main pass, the median of `passes`.
  double MainPass(int passes) {
    auto publisher = Start(CServerStatusPublisher::kSenderLongestSleepMs);
    std::vector<double> times;
    for (int i = 0; i < passes; ++i) {
      const auto start = Clock::now();
      publisher->OnPublisherMain();
      times.push_back(SecondsSince(start));
    }
    if (publisher->GetHandlerStartCount() != 1) fprintf(stderr, "a pass restarted the handlers\n");
    if (publisher->GetItemStatus(1).GetLastErrorCode() == kStatusDatabaseUnreachable ||
        publisher->GetWatchedRecordingServers().size() != kServers ||
        publisher->GetWatchedAnalysisServers().size() != kServers) {
      fprintf(stderr, "the passes did not read the servers\n");
      return -1;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  // CPU seconds per wall second of the running publisher over `seconds`.
  double IdleCpu(int senderSleepMs, double seconds) {
    auto publisher = Start(senderSleepMs);
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return (CpuSeconds() - cpu) / SecondsSince(start);
  }

 private:
  CLocalAppSettings settings_;
};

// Seconds per run of the mariadb client selecting both tables (median of `runs`).
double ClientSelect(const BenchServer& server, int runs) {
  std::vector<double> times;
  const std::string command = "mariadb --no-defaults -h " + server.host + " -P " + std::to_string(server.port) +
                              " -u " + server.user + " -p" + server.password +
                              " --default-character-set=euckr " + server.database +
                              " -e 'SELECT * FROM TBL_Zav WHERE IsDeleted = 0; "
                              "SELECT * FROM TBL_Vas WHERE IsDeleted = 0' > /dev/null";
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (system(command.c_str()) != 0) fprintf(stderr, "mariadb failed\n");
    times.push_back(SecondsSince(start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  BenchServer server;
  if (!BenchServerFromEnvironment("statusbench_", &server)) {
    fprintf(stderr, "no database server: run under scripts/with-mariadb\n");
    return 1;
  }
  if (!CreateInstallation(server)) {
    DropBenchDatabase(server);
    return 1;
  }
  {
    Bench bench(server);
    const double pass = bench.MainPass(21);
    const double client = ClientSelect(server, 21);
    printf("main pass over %d + %d servers: %.1f ms, mariadb client selecting both tables: %.1f ms, "
           "pass/client: %.3f (limit: the 5000 ms between passes)\n",
           kServers, kServers, pass * 1000, client * 1000, pass / client);
    // Without servers, so that the handlers' retries do not hide the senders.
    MYSQL* conn = ConnectBenchServer(server);
    if (!conn || !RunSql(conn, "DELETE FROM " + server.database + ".TBL_Zav") ||
        !RunSql(conn, "DELETE FROM " + server.database + ".TBL_Vas")) {
      fprintf(stderr, "cannot remove the servers\n");
    }
    if (conn) mysql_close(conn);
    const double sleeping = bench.IdleCpu(CServerStatusPublisher::kSenderLongestSleepMs, 10);
    const double polling = bench.IdleCpu(CServerStatusPublisher::kSenderRepeatMs, 10);
    printf("idle CPU with %d jobs (no server to watch): senders sleeping until due %.4f, "
           "polling every 10 ms %.4f, sleeping/polling: %.2f\n",
           kJobs, sleeping, polling, polling > 0 ? sleeping / polling : 0.0);
  }
  DropBenchDatabase(server);
  return 0;
}
