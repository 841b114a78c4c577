// CServerStatusPublisher: keeps the installation's live server status current
// and reports it outward, on the event-service frame. Its main task (every
// 5 s, also after a database failure) keeps two stores over the central
// database: the live store, which a recording-server status handler and an
// analysis-server status handler watch and whose live-status rows their
// messages update (CZavLiveStatus, CVasLiveStatus), and the source
// connection, whose TBL_Zav and TBL_Vas rows are read afresh each pass and
// compared with the live store's, every column (an address, port or login
// that changed counts); when they differ, both handlers are stopped, the
// live cache emptied and both started again.
// Each job's sender posts the status document of the analysis servers with
// their GPUs (built from the live store when due) to its target every
// `Period` seconds, and saves the job's status.
//
// Threads: the frame's (user-interface thread, one main worker, up to ten
// sender workers) and one worker per watched server in each handler, on
// which the handlers call the subscribers. Locks: storesLock_ guards the
// store pointers and is held only to copy or swap them, never while a
// handler starts or stops, the database is read or a post waits. The
// handlers are stopped before the live cache is emptied, and after the
// pools when the service stops (their callbacks need no pool).
#pragma once

#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "analysis/VasStatusHandler.h"
#include "recorders/ZavStatusHandler.h"
#include "services/EventServiceFrame.h"
#include "shell/ServerStatusPublisherItem.h"

class CClientDataStore;
class CDBDataStore;

// The server status publisher's values on the frame.
extern const CEventServiceConfig kServerStatusPublisherConfig;

class CServerStatusPublisher
    : public TEventServiceFrame<CServerStatusPublisherItems, CServerStatusPublisherItemStatus> {
 public:
  // Between a job's attempts when its Period is 0, and while no live store
  // exists yet.
  static constexpr int kSenderRepeatMs = 10;
  // The longest a sender sleeps before it looks at its job again, so that a
  // clock set forward or back is noticed within a second.
  static constexpr int kSenderLongestSleepMs = 1000;

  // `settings` must outlive the publisher; `clock` gives "now" to the
  // senders and the handlers' callbacks; `config` is
  // kServerStatusPublisherConfig but for tests.
  explicit CServerStatusPublisher(CLocalAppSettings& settings,
                                  std::shared_ptr<platform::Clock> clock = platform::SystemClock(),
                                  const CEventServiceConfig& config = kServerStatusPublisherConfig);
  // Stops the service and both handlers.
  ~CServerStatusPublisher() override;

  // The handlers' subscribers (first context: the publisher): find the
  // server in the live store and apply the message to its rows.
  static void ZavStatusHandlerCallback(const IMessagePublisher::_message_t* message);
  static void VasStatusHandlerCallback(const IMessagePublisher::_message_t* message);

  // Replaces kSenderLongestSleepMs (at least 1 ms); before Start. For the
  // benchmark's anchor, which polls as often as a Period of 0 does.
  void SetSenderLongestSleep(int ms) { senderLongestSleepMs_.store(ms < 1 ? 1 : ms); }

  // The live store; null until a main pass after Start reached the database.
  std::shared_ptr<CClientDataStore> GetLiveStore();
  // Handler starts (both handlers together) since construction.
  int GetHandlerStartCount() const { return handlerStarts_.load(); }
  // Main passes ended since construction, whatever their outcome.
  int GetMainPassCount() const { return mainPasses_.load(); }
  // The servers each handler watches now (handler id -> pool name); empty
  // while it is stopped.
  std::map<int32_t, std::string> GetWatchedRecordingServers() const { return zavHandler_.GetWatchedPools(); }
  std::map<int32_t, std::string> GetWatchedAnalysisServers() const { return vasHandler_.GetWatchedPools(); }

 protected:
  std::string MakeStatusFileName(const CServerStatusPublisherItem& job) const override;
  void OnStartReset() override;
  void OnStopped() override;
  // OnPublisherMain with any exception caught and logged, then every status
  // saved; always true (the failure delay is the normal one).
  bool RunMainPass() override;
  // OnPublisherSend; the delay until the job is due again (at most
  // kSenderLongestSleepMs; kSenderRepeatMs for Period 0).
  int RunSenderPass(int id) override;

  // One main pass: builds the stores, compares the servers, restarts the
  // handlers when they changed; a database that cannot be reached sets code
  // 2 on every job. May throw (RunMainPass catches).
  virtual void OnPublisherMain();
  // A database store initialised with the settings Start copied, for the
  // live store (`source` false) or the source reads. Blocks while it connects.
  virtual std::shared_ptr<CDBDataStore> OpenDatabase(bool source);

 private:
  struct StorePair {
    std::shared_ptr<CDBDataStore> database;
    std::shared_ptr<CClientDataStore> store;
  };
  // Makes the live database store when there is none and the live client
  // store once the database answers; false when it does not.
  bool ConnectLive(StorePair* live);
  // Reads the source's TBL_Zav and TBL_Vas rows and compares them with the
  // live store's: true when they differ; false also when the source could
  // not be read (`readable` then false).
  bool ServersChanged(CDBDataStore& source, CClientDataStore& live, bool* readable);
  // A handler's message for the server of value 1, applied by
  // `LiveStatus::OnMessage` to the server's `Row` in the live store.
  template <class Row, class LiveStatus>
  static void DeliverToLiveStore(const IMessagePublisher::_message_t* message, const char* table);
  void StartZavStatusHandler(const std::shared_ptr<CClientDataStore>& live);
  void StartVasStatusHandler(const std::shared_ptr<CClientDataStore>& live);
  // One attempt of job `id`: when due, posts the document and records the
  // result; returns the delay before the next attempt.
  int OnPublisherSend(int id);

  CLock storesLock_;  // guards live_ and source_
  StorePair live_ GUARDED_BY(storesLock_);
  std::shared_ptr<CDBDataStore> source_ GUARDED_BY(storesLock_);
  // Main task only (and Start, while no task runs).
  bool changed_ = false;
  std::atomic<int> handlerStarts_{0};
  std::atomic<int> mainPasses_{0};
  std::atomic<int> senderLongestSleepMs_{kSenderLongestSleepMs};

  // Last: destroyed first, so no callback runs into the members above.
  CZavStatusHandler zavHandler_;
  CVasStatusHandler vasHandler_;
};
