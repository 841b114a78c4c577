// Driving a synchronizer service from a bench: a program folder of its own
// whose settings point at the bench's central database, a manual clock that
// makes a job due on demand, and a wait for the run it then reports
// ("MSG_DATASYNC_EXECUTED").
#pragma once

#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "BenchDatabase.h"
#include "foundation/MessagePublisher.h"
#include "platform/Clock.h"
#include "foundation/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"

// Counts the runs a service reported; subscribe with the counter as context 1.
class BenchRunWaiter {
 public:
  static void OnMessage(const IMessagePublisher::_message_t* message) {
    if (message->message != "MSG_DATASYNC_EXECUTED") return;
    auto* self = static_cast<BenchRunWaiter*>(message->context1);
    std::lock_guard<std::mutex> hold(self->lock_);
    ++self->runs_;
    self->changed_.notify_all();
  }
  int Runs() {
    std::lock_guard<std::mutex> hold(lock_);
    return runs_;
  }
  // Waits at most `seconds` until more than `seen` runs were reported.
  bool WaitPast(int seen, int seconds = 600) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::seconds(seconds), [&] { return runs_ > seen; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  int runs_ = 0;
};

// A program folder under /tmp with settings naming `central` as the database.
struct BenchProgramFolder {
  std::string path;
  CLocalAppSettings settings;
  std::shared_ptr<platform::ManualClock> clock = std::make_shared<platform::ManualClock>(int64_t{1709622489} * 1000000);

  bool Create(const BenchServer& central) {
    char folder[] = "/tmp/sync-service-bench-XXXXXX";
    if (!mkdtemp(folder)) return false;
    path = folder;
    platform::SetProgramFolderOverride(path);
    CreateDirectoryPath(path + "/Settings");
    settings.Load(GetAppSettingsFilePath());
    return settings.SetDatabaseAddress(central.host) && settings.SetDatabasePort(static_cast<int>(central.port)) &&
           settings.SetDatabaseName(central.database) && settings.SetDatabaseLoginID(central.user) &&
           settings.SetDatabasePassword(central.password);
  }
  ~BenchProgramFolder() {
    if (path.empty()) return;
    platform::SetProgramFolderOverride("");
    const std::string command = "rm -rf '" + path + "'";
    (void)!system(command.c_str());
  }
};

// One more run of a started service with a job of period `periodSec`: the
// clock moves past the period and the run is awaited. False on a time-out.
inline bool RunServiceOnce(BenchProgramFolder& folder, BenchRunWaiter& waiter, int periodSec) {
  const int seen = waiter.Runs();
  folder.clock->AdvanceMillis(int64_t{periodSec} * 1000);
  return waiter.WaitPast(seen);
}

// Times `run` (its code, 0 for success) once per iteration after an untimed
// `reset`; the bench fails unless `check()` (untimed) then gives `expected`.
template <typename Reset, typename Run, typename Check>
void TimeRunsAfterReset(benchmark::State& state, Reset reset, Run run, Check check, const std::string& expected) {
  for (auto _ : state) {
    state.PauseTiming();
    const bool ready = reset();
    state.ResumeTiming();
    const int code = ready ? run() : -1;
    state.PauseTiming();
    const std::string found = check();
    state.ResumeTiming();
    if (code != 0 || found != expected) {
      state.SkipWithError(("code " + std::to_string(code) + ", rows " + found).c_str());
      break;
    }
  }
}
