#include "foundation/IDCreater.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<CIDCreater*> g_instance{nullptr};
std::mutex g_instanceCreation;

}  // namespace

CIDCreater::~CIDCreater() {
  CScopedLock hold(lock_);
  enabled_ = false;
}

CIDCreater* CIDCreater::GetInstance() {
  CIDCreater* instance = g_instance.load(std::memory_order_acquire);
  if (instance) return instance;
  std::lock_guard<std::mutex> hold(g_instanceCreation);
  instance = g_instance.load();
  if (!instance) {
    instance = new CIDCreater();  // kept for the process: late callers never see freed memory
    g_instance.store(instance, std::memory_order_release);
  }
  return instance;
}

void CIDCreater::DestroyInstance() {
  CIDCreater* instance = g_instance.load(std::memory_order_acquire);
  if (!instance) return;
  CScopedLock hold(instance->lock_);
  instance->enabled_ = false;
  instance->lastIds_.clear();
}

int32_t CIDCreater::NextID(const std::string& key, bool temporary) {
  CScopedLock hold(lock_);
  if (!enabled_) return 0;
  auto found = lastIds_.find(temporary ? key + "_Temp" : key);
  int32_t next;
  if (temporary) {
    // -1 goes straight back to the first temporary ID: 0 means "no transaction".
    bool counting = found != lastIds_.end() && found->second < -1;
    next = counting ? found->second + 1 : kFirstTemporaryId;
  } else {
    bool counting = found != lastIds_.end() && found->second < kLastRegularId;
    next = counting ? found->second + 1 : 1;
  }
  if (found != lastIds_.end()) {
    found->second = next;
  } else {
    lastIds_.emplace(temporary ? key + "_Temp" : key, next);
  }
  return next;
}

void CIDCreater::SetCurrentID(const std::string& key, int32_t value) {
  CScopedLock hold(lock_);
  if (enabled_) lastIds_[key] = value;
}
