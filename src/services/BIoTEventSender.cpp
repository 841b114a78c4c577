#include "services/BIoTEventSender.h"

#include <chrono>

void CBIoTEventSender::Queue(const std::vector<int>& jobIds, const std::vector<CBIoTEventData>& records,
                             std::vector<int>* flushed) {
  {
    std::lock_guard<std::mutex> hold(queueLock_);
    for (int id : jobIds) {
      std::vector<CBIoTEventData>& queue = queues_[id];
      if (queue.size() >= limit_) {
        queue.clear();
        if (flushed != nullptr) flushed->push_back(id);
      }
      queue.insert(queue.end(), records.begin(), records.end());
    }
  }
  queued_.notify_all();
}

std::vector<CBIoTEventData> CBIoTEventSender::Take(int jobId, int waitMs) {
  std::unique_lock<std::mutex> hold(queueLock_);
  auto ready = [&] {
    auto it = queues_.find(jobId);
    return it != queues_.end() && !it->second.empty();
  };
  if (waitMs > 0) queued_.wait_for(hold, std::chrono::milliseconds(waitMs), ready);
  std::vector<CBIoTEventData> taken;
  auto it = queues_.find(jobId);
  if (it != queues_.end()) taken.swap(it->second);
  return taken;
}

size_t CBIoTEventSender::Size(int jobId) {
  std::lock_guard<std::mutex> hold(queueLock_);
  auto it = queues_.find(jobId);
  return it == queues_.end() ? 0 : it->second.size();
}

std::shared_ptr<CBIoTEventPublisher> CBIoTEventSender::GetNotifier(int jobId, const Target& target,
                                                                   const Settings& settings) {
  CScopedLock hold(notifierLock_);
  Kept& kept = notifiers_[jobId];
  if (kept.notifier && kept.target == target) return kept.notifier;
  auto notifier = std::make_shared<CBIoTEventPublisher>();
  notifier->Settings() =
      CBIoTServiceAdapter::ConnInfoFromUrl(target.url, target.userID, target.password, settings.siteID);
  notifier->eventInterval = settings.eventInterval;
  notifier->duplicateWindow = settings.duplicateWindow;
  kept.target = target;
  kept.notifier = notifier;
  return notifier;
}

int CBIoTEventSender::Send(int jobId, CBIoTEventPublisher& notifier, std::vector<CBIoTEventData> records,
                           const std::function<bool()>& running,
                           const std::function<void(const CBIoTEventData&, bool)>& log) {
  for (size_t i = 0; i < records.size(); ++i) {
    if (!running()) {
      std::lock_guard<std::mutex> hold(queueLock_);
      std::vector<CBIoTEventData>& queue = queues_[jobId];
      queue.insert(queue.begin(), std::make_move_iterator(records.begin() + static_cast<long>(i)),
                   std::make_move_iterator(records.end()));
      return 0;
    }
    const bool notified = notifier.NotifyEvent(records[i]) != 0;
    log(records[i], notified);
    if (!notified) return 100;
  }
  return 0;
}
