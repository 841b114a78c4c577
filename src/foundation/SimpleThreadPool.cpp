#include "foundation/SimpleThreadPool.h"

#include <algorithm>
#include <chrono>

#include "foundation/Log.h"
#include "foundation/ThreadUtil.h"
#include "platform/Threads.h"

namespace {

const char* const kUnnamedPool = "ThreadPool";
const int64_t kLongestDelayedWaitMs = 1000;

// A job is due when it has no delay, when the 32-bit tick counter wrapped
// since it was queued, or when strictly more than its delay has passed.
bool IsDue(const CSimpleThreadPool::_job_t& job, uint32_t tick) {
  return job.delay == 0 || tick < job.queuedTick || tick - job.queuedTick > job.delay;
}

}  // namespace

CSimpleThreadPool::CSimpleThreadPool(std::shared_ptr<platform::Clock> clock)
    : shared_(std::make_shared<Shared>()) {
  shared_->clock = clock ? std::move(clock) : platform::SystemClock();
}

CSimpleThreadPool::~CSimpleThreadPool() { Stop(true, 30); }

int CSimpleThreadPool::Start(const std::string& name, int workerCount) {
  bool started;
  {
    CScopedLock hold(workerLock_);
    started = !workers_.empty();
  }
  if (started) Stop(false, 30);  // a second Start must not orphan running workers
  {
    CScopedLock jobs(shared_->jobLock);
    shared_->jobs.clear();
  }
  CScopedLock hold(workerLock_);
  workerCount_ = workerCount > 0 ? workerCount : 2 * platform::ProcessorCount();
  shared_->running.store(true);
  name_ = name;
  for (int i = 0; i < workerCount_; ++i) {
    auto worker = std::make_shared<_worker_t>();
    worker->index = static_cast<uint32_t>(i);
    worker->name = name.empty() ? kUnnamedPool : name;
    workers_.push_back(worker);
    StartWorker(worker);
  }
  return 1;
}

void CSimpleThreadPool::StartWorker(const std::shared_ptr<_worker_t>& worker) {
  if (worker->thread.joinable()) worker->thread.join();  // an ended thread
  {
    CMutexLock hold(worker->endLock);
    worker->ended = false;
  }
  worker->alive.store(true);
  try {
    worker->thread = std::thread(WorkerThreadFunction, shared_, worker);
  } catch (const std::exception&) {
    worker->alive.store(false);
    CMutexLock hold(worker->endLock);
    worker->ended = true;
    GATE_LOG(1, "ERROR - '%s' Worker%d could not be started.\r\n", worker->name.c_str(),
             static_cast<int>(worker->index));
  }
}

void CSimpleThreadPool::WorkerThreadFunction(std::shared_ptr<Shared> shared,
                                             std::shared_ptr<_worker_t> worker) {
  uint32_t id = platform::CurrentThreadId();
  worker->threadId.store(id);
  CThreadUtil::SetThreadName(id, worker->name);
  const char* name = worker->name.c_str();
  int index = static_cast<int>(worker->index);
  GATE_LOG_DEFAULT("[%s] Worker%d started\r\n", name, index);
  _job_t job;
  while (WaitForJob(*shared, *worker, &job)) {
    worker->busy.store(true);
    worker->jobStartTick.store(shared->clock->TickCount());
    try {
      job.function(job.context, job.argument);
    } catch (...) {
      GATE_LOG_DEFAULT("[CSimpleThreadPool] ERROR - Exception raised in worker function\n");
    }
    RemoveJob(*shared, job.id);
  }
  worker->busy.store(false);
  GATE_LOG_DEFAULT("[%s] Worker%d stopped\r\n", name, index);
  {
    CMutexLock hold(worker->endLock);
    worker->ended = true;
    worker->alive.store(false);
  }
  worker->endChanged.notify_all();
}

bool CSimpleThreadPool::WaitForJob(Shared& shared, _worker_t& worker, _job_t* job) {
  CScopedLock hold(shared.jobLock);
  while (shared.running.load() && !worker.stop.load()) {
    int64_t waitMs = -1;
    if (TakeDueJob(shared, job, &waitMs)) return true;
    worker.busy.store(false);
    // The condition releases the job lock while it waits and takes it again.
    if (waitMs < 0) {
      shared.jobsChanged.wait(shared.jobLock);
    } else {
      shared.jobsChanged.wait_for(shared.jobLock, std::chrono::milliseconds(waitMs));
    }
  }
  return false;
}

bool CSimpleThreadPool::TakeDueJob(Shared& shared, _job_t* job, int64_t* waitMs) {
  uint32_t tick = shared.clock->TickCount();
  _job_t* taken = nullptr;
  bool othersWait = false;
  int64_t wait = -1;
  for (_job_t& candidate : shared.jobs) {
    if (candidate.running) continue;
    if (!taken && IsDue(candidate, tick)) {
      taken = &candidate;
      continue;
    }
    othersWait = true;
    if (taken) break;
    // Due once strictly more than the delay has passed, or when the counter wraps.
    int64_t untilDue =
        static_cast<int64_t>(candidate.delay) - static_cast<int64_t>(tick - candidate.queuedTick) + 1;
    int64_t untilWrap = (int64_t{1} << 32) - static_cast<int64_t>(tick);
    int64_t until = std::min(untilDue, untilWrap);
    if (wait < 0 || until < wait) wait = until;
  }
  if (taken) {
    taken->running = true;
    *job = *taken;
    // This worker may be the one that watched the other waiting jobs: hand the
    // watch to an idle worker, so that a long job never delays them.
    if (othersWait) shared.jobsChanged.notify_one();
    return true;
  }
  // A clock set by hand may jump: look again at least once a second while jobs wait.
  *waitMs = wait < 0 ? -1 : std::min<int64_t>(wait, kLongestDelayedWaitMs);
  return false;
}

void CSimpleThreadPool::RemoveJob(Shared& shared, uint64_t id) {
  CScopedLock hold(shared.jobLock);
  for (auto it = shared.jobs.begin(); it != shared.jobs.end(); ++it) {
    if (it->id == id) {
      shared.jobs.erase(it);
      return;
    }
  }
}

int CSimpleThreadPool::AddJob(PoolJobFunction function, void* context, intptr_t argument,
                              uint32_t delayMs, const std::string& name) {
  CScopedLock jobs(shared_->jobLock);
  CScopedLock workers(workerLock_);
  if (workers_.empty() || function == nullptr) return 0;
  if (!name.empty()) {
    for (const _job_t& job : shared_->jobs) {
      if (!job.running && job.name == name) return 0;
    }
  }
  _job_t job;
  job.id = ++shared_->nextJobId;
  job.function = function;
  job.context = context;
  job.argument = argument;
  job.name = name;
  job.delay = delayMs;
  job.queuedTick = shared_->clock->TickCount();
  shared_->jobs.push_back(std::move(job));

  // A worker that is not alive (its start failed) is started again when every
  // worker before it has been busy for 1000 ms or more and may not take the job soon.
  uint32_t tick = shared_->clock->TickCount();
  for (const auto& worker : workers_) {
    if (!worker->alive.load()) {
      StartWorker(worker);
      break;
    }
    if (!worker->busy.load() || tick - worker->jobStartTick.load() < 1000) break;
  }
  shared_->jobsChanged.notify_one();
  return 1;
}

bool CSimpleThreadPool::FindJob(const std::string& name) {
  CScopedLock hold(shared_->jobLock);
  if (name.empty()) return !shared_->jobs.empty();
  for (const _job_t& job : shared_->jobs) {
    if (job.name == name) return true;
  }
  return false;
}

void CSimpleThreadPool::Stop(bool /*pumpMessages*/, int timeoutSeconds) {
  std::vector<std::shared_ptr<_worker_t>> workers;
  {
    CScopedLock hold(workerLock_);
    if (workers_.empty()) return;
    workers.swap(workers_);
  }
  shared_->running.store(false);
  for (const auto& worker : workers) worker->stop.store(true);
  {
    // Under the job lock, so that no worker is between its stop check and its wait.
    CScopedLock hold(shared_->jobLock);
    shared_->jobs.clear();
    shared_->jobsChanged.notify_all();
  }
  for (const auto& worker : workers) {
    if (!worker->thread.joinable()) continue;
    if (worker->thread.get_id() == std::this_thread::get_id()) {
      worker->thread.detach();  // a job stopping its own pool: its worker ends after it
      continue;
    }
    bool ended;
    {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeoutSeconds, 0));
      CMutexLock hold(worker->endLock);
      while (!worker->ended &&
             worker->endChanged.wait_until(hold.ForWait(), deadline) == std::cv_status::no_timeout) {
      }
      ended = worker->ended;
    }
    if (ended) {
      worker->thread.join();
    } else {
      // Left to end on its own; it holds the shared state, not the pool.
      GATE_LOG(1, "ERROR - '%s' Worker%d did not stop within %d seconds.\r\n", worker->name.c_str(),
               static_cast<int>(worker->index), timeoutSeconds);
      worker->thread.detach();
    }
  }
}

int CSimpleThreadPool::GetWorkerCount() {
  CScopedLock hold(workerLock_);
  return static_cast<int>(workers_.size());
}

std::string CSimpleThreadPool::GetName() {
  CScopedLock hold(workerLock_);
  return name_;
}
