// IMessagePublisher: the publish/subscribe base of the services and status
// handlers. Messages are names with up to three pointer-sized values; each
// subscriber, stored under a key, gets every message with the two context
// values it registered. Callbacks run on the publishing thread, in ascending
// key order, with no lock held: they may subscribe, unsubscribe (themselves
// included) and publish. A subscriber removed during a delivery may still get
// that one message; one added during it gets only later ones.
#pragma once

#include <stdint.h>

#include <map>
#include <string>

#include "foundation/Lock.h"

class IMessagePublisher {
 public:
  // One message as a subscriber receives it; valid only during the callback.
  struct _message_t {
    std::string message;  // e.g. "MSG_CONNECTED"
    intptr_t value1 = 0;
    intptr_t value2 = 0;
    intptr_t value3 = 0;
    void* context1 = nullptr;  // the subscriber's own context values
    void* context2 = nullptr;
  };
  typedef void (*Callback)(const _message_t* message);

  struct _subscriber_t {
    Callback callback = nullptr;
    void* context1 = nullptr;
    void* context2 = nullptr;
  };

  IMessagePublisher() = default;
  // Subscribers are not told.
  virtual ~IMessagePublisher() = default;
  IMessagePublisher(const IMessagePublisher&) = delete;
  IMessagePublisher& operator=(const IMessagePublisher&) = delete;

  // Stores the subscriber under `key`, replacing an entry of that key. Takes the lock.
  virtual void Subscribe(const std::string& key, Callback callback, void* context1, void* context2);
  // Subscribe under "NONE_%x" of the callback's address (its low 32 bits): the
  // same function subscribed again replaces its entry.
  virtual void SubscribeCallback(Callback callback, void* context1 = nullptr, void* context2 = nullptr);
  // Removes the entry of `key` when there is one. Takes the lock.
  virtual void Unsubscribe(const std::string& key);
  virtual void UnsubscribeCallback(Callback callback);
  virtual void UnsubscribeAll();
  // NotifySubscribers with value 3 = 0.
  virtual void Publish(const std::string& message, intptr_t value1, intptr_t value2);
  // Copies the subscribers under the lock, then calls each, in key order,
  // outside it. Blocks for as long as the callbacks take.
  virtual void NotifySubscribers(const std::string& message, intptr_t value1, intptr_t value2,
                                 intptr_t value3);

  // The key SubscribeCallback uses for `callback`.
  static std::string CallbackKey(Callback callback);
  // The number of subscribers (takes the lock).
  int GetSubscriberCount();

 private:
  CLock lock_;
  std::map<std::string, _subscriber_t> subscribers_ GUARDED_BY(lock_);
};
