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
#include <mutex>
#include <vector>

template <class Entry>
class TSendQueues {
 public:
  // `limit` entries per queue; 0: no limit.
  explicit TSendQueues(size_t limit) : limit_(limit) {}
  TSendQueues(const TSendQueues&) = delete;
  TSendQueues& operator=(const TSendQueues&) = delete;

  // Empties every queue and lets senders wait again (Start).
  void Open() {
    std::lock_guard<std::mutex> hold(lock_);
    queues_.clear();
    closed_ = false;
  }
  // Wakes every waiting sender; later waits return at once (Stop).
  void Close() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      closed_ = true;
    }
    changed_.notify_all();
  }
  bool IsClosed() {
    std::lock_guard<std::mutex> hold(lock_);
    return closed_;
  }

  // Appends `entry` to the queue of each of `jobIds` (created empty on first
  // use), in the given order. A queue holding `limit` entries or more is
  // emptied first and its job ID added to `flushed` (when not null).
  void AppendToAll(const std::vector<int>& jobIds, const Entry& entry, std::vector<int>* flushed) {
    {
      std::lock_guard<std::mutex> hold(lock_);
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
    std::unique_lock<std::mutex> hold(lock_);
    auto ready = [&] {
      if (closed_) return true;
      auto it = queues_.find(jobId);
      return it != queues_.end() && !it->second.empty();
    };
    if (waitMs > 0) changed_.wait_for(hold, std::chrono::milliseconds(waitMs), ready);
    std::vector<Entry> taken;
    auto it = queues_.find(jobId);
    if (it != queues_.end()) taken.swap(it->second);
    return taken;
  }

  // The number of entries waiting for `jobId`.
  size_t Size(int jobId) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = queues_.find(jobId);
    return it == queues_.end() ? 0 : it->second.size();
  }

 private:
  const size_t limit_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::map<int, std::vector<Entry>> queues_;
  bool closed_ = false;
};
