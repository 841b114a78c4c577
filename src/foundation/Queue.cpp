#include "foundation/Queue.h"

void CBaseDS::SetLimit(int limit) {
  CScopedLock hold(lock_);
  limit_ = limit;
}

int CBaseDS::GetLimit() {
  CScopedLock hold(lock_);
  return limit_;
}

CQueue::~CQueue() { Close(); }

bool CQueue::Open(DataFreeCallback freeCallback, void* userData) {
  CScopedLock hold(lock_);
  freeCallback_ = freeCallback;
  userData_ = userData;
  semaphore_ = std::make_shared<platform::Semaphore>(0, limit_);
  return true;
}

int CQueue::Push(void* item) {
  CScopedLock hold(lock_);
  if (items_.size() >= static_cast<size_t>(limit_ < 0 ? 0 : limit_)) return 0;
  items_.push_back(item);
  if (semaphore_) semaphore_->Release();
  return 1;
}

void* CQueue::Pop(bool wait, int timeoutMs) {
  if (wait) {
    std::shared_ptr<platform::Semaphore> semaphore;
    {
      CScopedLock hold(lock_);
      semaphore = semaphore_;
    }
    if (semaphore) semaphore->Wait(timeoutMs < 0 ? 0 : timeoutMs);
  }
  CScopedLock hold(lock_);
  if (items_.empty()) return nullptr;
  void* item = items_.front();
  items_.pop_front();
  return item;
}

void CQueue::Clear() {
  CScopedLock hold(lock_);
  while (!items_.empty()) {
    void* item = items_.front();
    items_.pop_front();
    if (item && freeCallback_) freeCallback_(0, item, userData_);
  }
}

void CQueue::Close() {
  CScopedLock hold(lock_);
  Clear();
  limit_ = kDefaultLimit;
  freeCallback_ = nullptr;
  userData_ = nullptr;
  semaphore_.reset();
}

int CQueue::GetCount() {
  CScopedLock hold(lock_);
  return static_cast<int>(items_.size());
}
