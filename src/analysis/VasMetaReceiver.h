// CVasMetaReceiver: the one door through which the analysis results of every
// analysis server reach the AI event publisher. The caller sets the list of
// connection records and calls Run with its callback; the receiver runs one
// metadata client per record (the client kind follows the server kind),
// collects the results that the clients' parser pools make in one queue and
// calls the callback for each on its own thread "CVasMetaReceiver". A second
// queue carries the own-kind servers' all-object counts to an optional
// handler; without one they are destroyed, one per pass.
//
// Locks: lock_ guards the list, the client map and the opening and closing of
// the result queue, and is held for the whole of Run and Stop (the delivery
// thread never takes it); allCountLock_ guards the all-count queue's opening,
// closing and taking. Callbacks run outside both. Stop always joins every
// thread it started before it frees what they use.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/VAR.h"
#include "analysis/VasConnInfo.h"
#include "analysis/VasMetaTimings.h"
#include "foundation/FileLogger.h"
#include "foundation/Lock.h"
#include "foundation/Queue.h"
#include "foundation/Thread.h"
#include "platform/Clock.h"

class CVasMetaClientBase;

// The result callback: true when it took the result (and deletes it itself),
// false when the receiver is to delete it.
using VasMetaCallbackFn = bool (*)(CVAR* result, void* param);
// The all-count handler, with the same rule.
using VasAllCountCallbackFn = bool (*)(CVARAllCount* counts, void* param);

class CVasMetaReceiver {
 public:
  static constexpr char kThreadName[] = "CVasMetaReceiver";
  static constexpr char kFileLogPrefix[] = "VRCV";
  static constexpr int kFileLogKeepDays = 60;

  // `clock` gives the wall time of the keep-alive, flush and clock checks;
  // `timings` the waits (tests shorten them).
  explicit CVasMetaReceiver(std::shared_ptr<platform::Clock> clock = platform::SystemClock(),
                            CVasMetaTimings timings = CVasMetaTimings());
  // Stop.
  ~CVasMetaReceiver();
  CVasMetaReceiver(const CVasMetaReceiver&) = delete;
  CVasMetaReceiver& operator=(const CVasMetaReceiver&) = delete;

  // Set between Stop and Run.
  int Thumbnail = 0;
  int UseChannelFilter = 1;
  int ThumbnailInterval = 1;
  std::vector<CVasConnInfo> ConnInfos;

  // Starts the delivery thread and one client per record of a known kind
  // (a later record of the same VasID replaces the client of an earlier one).
  // False with a log line for a null callback or parameter, or when running
  // already; true (nothing started) for an empty list. Takes lock_.
  bool Run(VasMetaCallbackFn callback, void* param);
  // Stops every client (all are asked before the first is waited for), then
  // the delivery thread, and empties both queues: results and counts still
  // queued are deleted. Ends within about the longest client step (see
  // CVasMetaClientBase::StopClient). Returns true. Takes lock_.
  bool Stop();

  // The optional all-count handler; set before Run.
  void SetAllCountCallback(VasAllCountCallbackFn callback, void* param);
  // Where Run opens the "VRCV" file log; "" keeps it closed. Default:
  // "<program folder>/Log". Set before Run.
  void SetFileLogFolder(const std::string& folder);

  // The client of `vasId`, or null. Takes lock_.
  std::shared_ptr<CVasMetaClientBase> GetClient(int vasId);
  size_t GetClientCount();
  // True while the delivery thread runs; its id once it has started.
  bool IsDelivering() const { return thread_.IsRunning(); }
  uint32_t GetDeliveryThreadId() const { return thread_.GetThreadId(); }

  // For the clients: queue a result or a count record (the receiver owns it
  // once true is returned); the shared clock, timings and file log.
  bool PushResult(CVAR* result) { return queue_.Push(result) == 1; }
  bool PushAllCount(CVARAllCount* counts);
  CFileLogger* GetFileLogger() { return &fileLogger_; }
  const std::shared_ptr<platform::Clock>& GetClock() const { return clock_; }
  const CVasMetaTimings& GetTimings() const { return timings_; }

  // Queue deleters, (0, item, context) as CQueue calls them; null items are ignored.
  static void DeleteMeta(int reserved, void* item, void* context);
  static void DeleteAllCount(int reserved, void* item, void* context);

 private:
  // The thread "CVasMetaReceiver": one DeliverOne per pass.
  class CDeliveryThread : public CThread {
   public:
    explicit CDeliveryThread(CVasMetaReceiver* owner) : owner_(owner) {}
    ~CDeliveryThread() override { EndThread(); }
    void Join() { EndThread(); }

   protected:
    bool DoJob() override;

   private:
    CVasMetaReceiver* owner_;
  };

  // One pass: an all-count record when one waits, else a result (waiting up
  // to receiverWaitMs for one).
  void DeliverOne();
  void CloseAllCountQueue();

  const std::shared_ptr<platform::Clock> clock_;
  const CVasMetaTimings timings_;

  CLock lock_;  // guards clients_, ConnInfos (while running), callback_, param_, fileLogFolder_
  std::map<int, std::shared_ptr<CVasMetaClientBase>> clients_;
  VasMetaCallbackFn callback_ = nullptr;
  void* param_ = nullptr;
  std::string fileLogFolder_;
  bool fileLogFolderSet_ = false;
  CQueue queue_;  // CVAR*, opened and closed under lock_

  CLock allCountLock_;  // guards allCountQueue_'s opening, closing and taking, and the handler
  CQueue allCountQueue_;  // CVARAllCount*
  VasAllCountCallbackFn allCountCallback_ = nullptr;
  void* allCountParam_ = nullptr;

  CFileLogger fileLogger_;
  CDeliveryThread thread_;  // last: ends before the members it uses
};
