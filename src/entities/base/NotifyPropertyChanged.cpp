#include "entities/base/NotifyPropertyChanged.h"

#include <charconv>
#include <cstdint>

INotifyPropertyChanged::INotifyPropertyChanged(const INotifyPropertyChanged& other) {
  CScopedLock hold(other.subscriptionLock_);
  subscribers_ = other.subscribers_;
}

INotifyPropertyChanged::~INotifyPropertyChanged() = default;

void INotifyPropertyChanged::Subscribe(const std::string& key, PropertyChangedHandler handler, void* context) {
  if (handler == nullptr) return;
  CScopedLock hold(subscriptionLock_);
  subscribers_[key] = Subscriber{handler, context};
}

void INotifyPropertyChanged::SubscribeCallback(PropertyChangedHandler handler, void* context) {
  Subscribe(CallbackKey(handler), handler, context);
}

void INotifyPropertyChanged::Unsubscribe(const std::string& key) {
  CScopedLock hold(subscriptionLock_);
  subscribers_.erase(key);
}

void INotifyPropertyChanged::UnsubscribeCallback(PropertyChangedHandler handler) {
  Unsubscribe(CallbackKey(handler));
}

void INotifyPropertyChanged::UnsubscribeAll() {
  CScopedLock hold(subscriptionLock_);
  subscribers_.clear();
}

std::string INotifyPropertyChanged::CallbackKey(PropertyChangedHandler handler) {
  // The whole address: two handlers that share their low 32 bits keep two keys.
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, reinterpret_cast<uintptr_t>(handler), 16);
  return "NONE_" + std::string(buffer, result.ptr);
}

size_t INotifyPropertyChanged::GetSubscriberCount() const {
  CScopedLock hold(subscriptionLock_);
  return subscribers_.size();
}

void INotifyPropertyChanged::NotifySubscribers(CDBEntity* sender, const char* column) {
  std::vector<Subscriber> calls;
  {
    CScopedLock hold(subscriptionLock_);
    if (subscribers_.empty()) return;
    calls.reserve(subscribers_.size());
    for (const auto& entry : subscribers_) calls.push_back(entry.second);
  }
  for (const Subscriber& subscriber : calls) subscriber.handler(sender, column, subscriber.context);
}
