// CSimpleThreadPool: a named set of worker threads that run queued jobs, each
// a function of (context, argument), optionally delayed and optionally named.
// A named job is not queued again while one of that name still waits, which
// keeps exactly one pending pass of a periodic task that re-queues itself.
//
// Locks: jobLock_ before workerLock_, never the other way. Job functions run
// with no pool lock held and may call AddJob and FindJob. The state that the
// workers touch is shared with them (std::shared_ptr), so a worker that is
// given up by Stop never touches freed memory. An idle worker sleeps on the
// job lock's condition until a job is queued, a delayed job becomes due or
// Stop is asked: a pool with nothing to do uses no CPU.
#pragma once

#include <stdint.h>

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/Lock.h"
#include "platform/Clock.h"

typedef void (*PoolJobFunction)(void* context, intptr_t argument);

class CSimpleThreadPool {
 public:
  explicit CSimpleThreadPool(std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  // Stop(true, 30).
  ~CSimpleThreadPool();
  CSimpleThreadPool(const CSimpleThreadPool&) = delete;
  CSimpleThreadPool& operator=(const CSimpleThreadPool&) = delete;

  // Clears the job list and starts `workerCount` workers (0: twice the
  // processor count) named `name` ("ThreadPool" when empty). Returns 1.
  // Start once, and again only after Stop. A Start on a running pool stops it
  // first (Stop(false, 30)), so no running worker is orphaned.
  int Start(const std::string& name, int workerCount);
  // Queues a job that becomes due more than `delayMs` after now. Returns 1, or
  // 0 when the pool has no workers or a job named `name` (non-empty) waits and
  // is not yet running. Takes the job lock, then the worker lock; never blocks
  // on a job.
  int AddJob(PoolJobFunction function, void* context, intptr_t argument, uint32_t delayMs = 0,
             const std::string& name = std::string());
  // With a name: true when a job of that name waits or runs; with "": true
  // when any job waits or runs. Takes the job lock.
  bool FindJob(const std::string& name);
  // Empties the job list, ends the workers after their current job and waits
  // up to `timeoutSeconds` for each; a worker still running then is left to
  // end on its own (logged). Holds no pool lock while waiting. Linux has no
  // per-thread message queue: `pumpMessages` changes nothing.
  void Stop(bool pumpMessages = false, int timeoutSeconds = 30);

  int GetWorkerCount();
  std::string GetName();

 public:
  struct _job_t {
    uint64_t id = 0;
    PoolJobFunction function = nullptr;
    void* context = nullptr;
    intptr_t argument = 0;
    std::string name;
    bool running = false;
    uint32_t delay = 0;
    uint32_t queuedTick = 0;
  };

  // Shared with every worker thread; outlives the pool while a worker runs.
  struct Shared {
    std::shared_ptr<platform::Clock> clock;
    std::atomic<bool> running{false};
    CLock jobLock;
    // Signalled under jobLock when a job is queued or a worker is asked to stop.
    std::condition_variable_any jobsChanged;
    std::list<_job_t> jobs GUARDED_BY(jobLock);
    uint64_t nextJobId GUARDED_BY(jobLock) = 0;
  };

  struct _worker_t {
    uint32_t index = 0;
    std::string name;                    // the pool's name at start, for the thread and log lines
    std::atomic<bool> busy{false};       // hint for waking, written by the worker
    std::atomic<uint32_t> jobStartTick{0};
    std::atomic<bool> stop{false};       // set by Stop: this worker ends after its current job
    std::atomic<bool> alive{false};      // the thread runs
    CMutex endLock;                      // for Stop's wait on ended
    std::condition_variable endChanged;
    bool ended GUARDED_BY(endLock) = true;
    std::thread thread;
    std::atomic<uint32_t> threadId{0};
  };

 private:
  void StartWorker(const std::shared_ptr<_worker_t>& worker);
  static void WorkerThreadFunction(std::shared_ptr<Shared> shared, std::shared_ptr<_worker_t> worker);
  // Blocks until this worker takes a due job (true) or is asked to stop (false).
  static bool WaitForJob(Shared& shared, _worker_t& worker, _job_t* job);
  // Marks the first due job running and copies it to `job` (waking an idle
  // worker when other jobs still wait). Otherwise false, with `waitMs` set to
  // how long to wait before looking again (-1: no job waits).
  static bool TakeDueJob(Shared& shared, _job_t* job, int64_t* waitMs) REQUIRES(shared.jobLock);
  static void RemoveJob(Shared& shared, uint64_t id);

  const std::shared_ptr<Shared> shared_;
  CLock workerLock_;
  std::vector<std::shared_ptr<_worker_t>> workers_ GUARDED_BY(workerLock_);
  int workerCount_ GUARDED_BY(workerLock_) = 0;
  std::string name_ GUARDED_BY(workerLock_);
};
