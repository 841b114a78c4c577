#include "foundation/MessagePublisher.h"

#include "foundation/StringUtil.h"

void IMessagePublisher::Subscribe(const std::string& key, Callback callback, void* context1,
                                  void* context2) {
  CScopedLock hold(lock_);
  subscribers_[key] = _subscriber_t{callback, context1, context2};
}

std::string IMessagePublisher::CallbackKey(Callback callback) {
  return StrFormat("NONE_%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(callback)));
}

void IMessagePublisher::SubscribeCallback(Callback callback, void* context1, void* context2) {
  Subscribe(CallbackKey(callback), callback, context1, context2);
}

void IMessagePublisher::Unsubscribe(const std::string& key) {
  CScopedLock hold(lock_);
  subscribers_.erase(key);
}

void IMessagePublisher::UnsubscribeCallback(Callback callback) { Unsubscribe(CallbackKey(callback)); }

void IMessagePublisher::UnsubscribeAll() {
  CScopedLock hold(lock_);
  subscribers_.clear();
}

void IMessagePublisher::Publish(const std::string& message, intptr_t value1, intptr_t value2) {
  NotifySubscribers(message, value1, value2, 0);
}

void IMessagePublisher::NotifySubscribers(const std::string& message, intptr_t value1,
                                          intptr_t value2, intptr_t value3) {
  std::map<std::string, _subscriber_t> copy;
  {
    CScopedLock hold(lock_);
    if (subscribers_.empty()) return;
    copy = subscribers_;
  }
  for (const auto& entry : copy) {
    if (!entry.second.callback) continue;
    _message_t record;
    record.message = message;
    record.value1 = value1;
    record.value2 = value2;
    record.value3 = value3;
    record.context1 = entry.second.context1;
    record.context2 = entry.second.context2;
    entry.second.callback(&record);
  }
}

int IMessagePublisher::GetSubscriberCount() {
  CScopedLock hold(lock_);
  return static_cast<int>(subscribers_.size());
}
