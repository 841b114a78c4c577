// TSendQueues: the per-job send queues of a service. Publishers append one
// entry to the queue of every job; each job's sender takes its whole queue at
// once. A queue that reaches the limit is emptied before the next entry goes
// in, so a target that does not answer costs at most `limit` entries of
// memory. A sender waits for entries on a condition, not by polling, and
// Close wakes every waiting sender at once (Stop stays prompt).
//
// Lock: lock_ guards every member; it is held only to append, take or clear,
// never while a caller posts.
#pragma once

#include <stddef.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <vector>

#include "platform/Mutex.h"

template <class Entry>
class TSendQueues {
 public:
  // `limit` entries per queue; 0: no limit.
  explicit TSendQueues(size_t limit) : limit_(limit) {}
  TSendQueues(const TSendQueues&) = delete;
  TSendQueues& operator=(const TSendQueues&) = delete;

  // Empties every queue and lets senders wait again (Start).
  void Open() {
    CMutexLock hold(lock_);
    queues_.clear();
    closed_ = false;
  }
  // Wakes every waiting sender; later waits return at once (Stop).
  void Close() {
    {
      CMutexLock hold(lock_);
      closed_ = true;
    }
    changed_.notify_all();
  }
  bool IsClosed() {
    CMutexLock hold(lock_);
    return closed_;
  }

  // Appends `entry` to the queue of each of `jobIds` (created empty on first
  // use), in the given order. A queue holding `limit` entries or more is
  // emptied first and its job ID added to `flushed` (when not null).
  void AppendToAll(const std::vector<int>& jobIds, const Entry& entry, std::vector<int>* flushed) {
    {
      CMutexLock hold(lock_);
      for (int id : jobIds) {
        std::vector<Entry>& queue = queues_[id];
        if (limit_ != 0 && queue.size() >= limit_) {
          queue.clear();
          if (flushed) flushed->push_back(id);
        }
        queue.push_back(entry);
      }
    }
    changed_.notify_all();
  }

  // Takes the whole queue of `jobId`, waiting up to `waitMs` for an entry
  // when it is empty. Returns at once when closed; an empty vector when
  // nothing came.
  std::vector<Entry> TakeAll(int jobId, int waitMs) {
    CMutexLock hold(lock_);
    if (waitMs > 0) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
      while (!IsReady(jobId)) {
        if (changed_.wait_until(hold.ForWait(), deadline) == std::cv_status::timeout) break;
      }
    }
    std::vector<Entry> taken;
    auto it = queues_.find(jobId);
    if (it != queues_.end()) taken.swap(it->second);
    return taken;
  }

  // The number of entries waiting for `jobId`.
  size_t Size(int jobId) {
    CMutexLock hold(lock_);
    auto it = queues_.find(jobId);
    return it == queues_.end() ? 0 : it->second.size();
  }

 private:
  // Whether a sender of `jobId` has something to do: the queues are closed or its queue holds an entry.
  bool IsReady(int jobId) REQUIRES(lock_) {
    if (closed_) return true;
    auto it = queues_.find(jobId);
    return it != queues_.end() && !it->second.empty();
  }

  const size_t limit_;
  CMutex lock_;
  std::condition_variable changed_;
  std::map<int, std::vector<Entry>> queues_ GUARDED_BY(lock_);
  bool closed_ GUARDED_BY(lock_) = false;
};
