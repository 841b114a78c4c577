// INotifyPropertyChanged: the subscribers of one row, told of every effective
// change of a column. Keys order the calls (byte-wise, letter case counts).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "foundation/Lock.h"

class CDBEntity;

// Called with the row that changed, the column name and the subscriber's context
// (given at subscription, passed back unchanged and never freed by the row).
using PropertyChangedHandler = void (*)(CDBEntity* sender, const char* column, void* context);

class INotifyPropertyChanged {
 public:
  INotifyPropertyChanged() = default;
  // Takes the source's subscribers (under its subscription lock) and a lock of its own.
  INotifyPropertyChanged(const INotifyPropertyChanged& other);
  INotifyPropertyChanged& operator=(const INotifyPropertyChanged&) = delete;
  virtual ~INotifyPropertyChanged();

  // Sets the subscriber of `key`, replacing an earlier one of that key. A null
  // handler is ignored. Takes the subscription lock.
  virtual void Subscribe(const std::string& key, PropertyChangedHandler handler, void* context);
  // Subscribe under the key of the handler's address (CallbackKey).
  virtual void SubscribeCallback(PropertyChangedHandler handler, void* context);
  // Removes the subscriber of `key` when there is one. Takes the subscription lock.
  virtual void Unsubscribe(const std::string& key);
  // Unsubscribe of the handler's key.
  virtual void UnsubscribeCallback(PropertyChangedHandler handler);
  // Removes every subscriber. Takes the subscription lock.
  virtual void UnsubscribeAll();

  // "NONE_" and the handler's full address in lower-case hexadecimal.
  static std::string CallbackKey(PropertyChangedHandler handler);

  // Number of subscribers. Takes the subscription lock.
  size_t GetSubscriberCount() const;

 protected:
  // Calls every subscriber in key order with (sender, column, context) on this
  // thread. The subscribers are copied under the subscription lock and called
  // with no lock held, so a handler may (un)subscribe: that counts from the
  // next notification on.
  void NotifySubscribers(CDBEntity* sender, const char* column);

 private:
  struct Subscriber {
    PropertyChangedHandler handler;
    void* context;
  };
  mutable CLock subscriptionLock_;
  std::map<std::string, Subscriber> subscribers_;  // guarded by subscriptionLock_
};
