// CBIoTEventSender: the building-IoT road of the AI event publisher (send
// mode 2). Records wait in one queue per job; each job's sender pass takes
// its whole queue and hands the records, in order, to the job's notifier
// (CBIoTEventPublisher), stopping at the first failure. A notifier is made
// the first time its job sends and kept with its thing tokens and repeat
// bookkeeping; it is made anew when the job's target URL, login or password
// changed, so an edited job reaches the platform without a restart.
//
// Threads: Queue on the analysis receiver's thread, the passes on the sender
// pool (one pass per job at a time). Locks: queueLock_ guards the queues,
// notifierLock_ the notifier map; neither is held while a notifier posts,
// and they are never held together.
#pragma once

#include <stddef.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "biot/BIoTEventPublisher.h"
#include "foundation/Lock.h"

class CBIoTEventSender {
 public:
  // What every notifier gets besides its job's target.
  struct Settings {
    std::string siteID;
    int eventInterval = 15;
    int duplicateWindow = 3;  // the publisher's dwell time
  };
  // The target of one job, as the notifier is made from it.
  struct Target {
    std::string url;
    std::string userID;
    std::string password;  // in clear
    bool operator==(const Target&) const = default;
  };

  // `limit` records per queue before the next batch empties it.
  explicit CBIoTEventSender(size_t limit = 1000) : limit_(limit) {}
  CBIoTEventSender(const CBIoTEventSender&) = delete;
  CBIoTEventSender& operator=(const CBIoTEventSender&) = delete;

  // Appends the batch to the queue of each of `jobIds`; a queue holding
  // `limit` records or more is emptied first and its ID added to `flushed`.
  void Queue(const std::vector<int>& jobIds, const std::vector<CBIoTEventData>& records, std::vector<int>* flushed);
  // Takes the whole queue of `jobId`, waiting up to `waitMs` while it is empty.
  std::vector<CBIoTEventData> Take(int jobId, int waitMs);
  size_t Size(int jobId);

  // The notifier of `jobId` for `target`: the kept one while its target is
  // the same, else a new one (kept from then on).
  std::shared_ptr<CBIoTEventPublisher> GetNotifier(int jobId, const Target& target, const Settings& settings);

  // Hands `records` (taken from the queue of `jobId`) to `notifier` in
  // order; stops at the first failure, whose record and the rest are
  // dropped. Returns 0 when all went, 100 after a failure. When `running`
  // answers false first, the records not yet handed over go back to the
  // front of the queue for the next Start. Logs each record through `log`
  // (true: notified, false: failed).
  int Send(int jobId, CBIoTEventPublisher& notifier, std::vector<CBIoTEventData> records,
           const std::function<bool()>& running, const std::function<void(const CBIoTEventData&, bool)>& log);

 private:
  struct Kept {
    Target target;
    std::shared_ptr<CBIoTEventPublisher> notifier;
  };

  const size_t limit_;
  std::mutex queueLock_;
  std::condition_variable queued_;
  std::map<int, std::vector<CBIoTEventData>> queues_;  // guarded by queueLock_
  CLock notifierLock_;
  std::map<int, Kept> notifiers_ GUARDED_BY(notifierLock_);
};
