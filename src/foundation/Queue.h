// CQueue: a bounded first-in-first-out queue of pointers on the base CBaseDS,
// with a counting semaphore on which one consumer waits for pushed items.
// Producers never block: a waiting consumer holds no lock.
#pragma once

#include <list>
#include <memory>

#include "foundation/Lock.h"
#include "platform/Event.h"

// Called for each item a structure discards: (0, item, user data).
typedef void (*DataFreeCallback)(int reserved, void* item, void* userData);

// The base of the data structures: an item limit, the callback for discarded
// items and the lock that guards every operation.
class CBaseDS {
 public:
  static constexpr int kDefaultLimit = 100000000;

  CBaseDS() = default;
  virtual ~CBaseDS() = default;
  CBaseDS(const CBaseDS&) = delete;
  CBaseDS& operator=(const CBaseDS&) = delete;

  // Sets the most items the structure holds (takes the lock; set it before Open).
  void SetLimit(int limit);
  int GetLimit();

 protected:
  int limit_ GUARDED_BY(lock_) = kDefaultLimit;
  DataFreeCallback freeCallback_ GUARDED_BY(lock_) = nullptr;
  void* userData_ GUARDED_BY(lock_) = nullptr;
  CLock lock_;
};

class CQueue : public CBaseDS {
 public:
  CQueue() = default;
  // Close: remaining items go to the free callback.
  ~CQueue() override;

  // Stores the free callback and creates the semaphore (count 0, maximum the
  // limit). Open before other threads use the queue. Returns true.
  bool Open(DataFreeCallback freeCallback, void* userData);
  // Appends `item` (null too) at the tail and counts it on the semaphore.
  // Returns 1, or 0 (item stays with the caller) when the limit is reached.
  int Push(void* item);
  // With `wait`, first waits up to `timeoutMs` for a pushed item (no wait on
  // an unopened queue; a time-out is not an error); then removes and returns
  // the head item, or null when the queue is empty. The item belongs to the caller.
  void* Pop(bool wait, int timeoutMs);
  // Removes every item; each non-null one goes to the free callback (called
  // with the lock held).
  void Clear();
  // Clear, then back to the defaults: limit, no callback, no semaphore.
  void Close();
  // The number of items held.
  int GetCount();

 private:
  // The semaphore object is shared so that a consumer waiting on it while
  // another thread closes the queue stays safe.
  std::shared_ptr<platform::Semaphore> semaphore_ GUARDED_BY(lock_);
  std::list<void*> items_ GUARDED_BY(lock_);
};
