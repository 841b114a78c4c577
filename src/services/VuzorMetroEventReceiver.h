// CVuzorMetroEventReceiver: the metro event receiver on the event-service
// frame. It listens on one UDP port for train event datagrams and forwards
// every accepted event as the XML text of the event record by HTTP POST to
// each target site. One socket serves the service: the port and the sites
// are those of the lowest-ID job, whose status records every accepted event.
// An event that repeats the last one of its train and car within the
// duplicate window ("DMEventThresholdSeconds", 5 s) is skipped.
//
// Threads: the frame's user-interface calls; on the main pool the receive
// loop and the status-save task; on the "SENDER_WORKER" pool at most one send
// run per site ("SENDER_<n>"), so a site that never answers holds one worker,
// not all of them, and the other sites are still served. Locks: dataLock_ guards the sites
// and the last-event map, held only to copy or look up; the site queues and
// each status have their own locks; no lock is held while receiving,
// logging or posting.
#pragma once

#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "services/DMEventData.h"
#include "services/EventServiceFrame.h"
#include "shell/VuzorMetroEventReceiverItem.h"

extern const CEventServiceConfig kMetroEventReceiverConfig;

// Where a site's bodies go: the URL's host, path and query; TLS, and port 443
// when the URL names no port, follow an "https" scheme (any letter case).
CHttpPostTarget SiteTarget(const CHttpTargetSite& site);

class CVuzorMetroEventReceiver
    : public TEventServiceFrame<CVuzorMetroEventReceiverItems, CVuzorMetroEventReceiverItemStatus> {
 public:
  // Bodies waiting per site at most; a full queue is emptied with "INFO - SendQ is full (<site>)".
  static constexpr size_t kSiteQueueLimit = 1000;
  // How long the receive loop waits for a datagram before it looks at the
  // running flag again: the bound on Stop's wait for the loop.
  static constexpr int kReceivePollMs = 200;
  // Between attempts to bind the port while it cannot be bound; the failure
  // is logged once a minute.
  static constexpr int kBindRetryMs = 1000;

  // `settings` must outlive the service; `clock` gives the receive and
  // duplicate-window times.
  explicit CVuzorMetroEventReceiver(CLocalAppSettings& settings,
                                    std::shared_ptr<platform::Clock> clock = platform::SystemClock(),
                                    const CEventServiceConfig& config = kMetroEventReceiverConfig);
  // Stops the service.
  ~CVuzorMetroEventReceiver() override;

  // True when the job with the lowest ID is enabled and has a target site
  // (read afresh from the settings); the same job Start takes its port and
  // sites from.
  bool IsConfigured() override;

  // The UDP port the socket is bound to; 0 while none is bound.
  unsigned short GetBoundPort() const;
  // Bodies waiting for site `site` (from 0).
  size_t GetSiteQueueSize(int site) { return siteQueues_.Size(site); }
  // Since construction: events accepted and forwarded, bodies posted (a post
  // that found no connection counts).
  uint64_t GetAcceptedCount() const { return accepted_.load(); }
  uint64_t GetSitePostCount() const { return sitePosts_.load(); }
  // Trains and cars the duplicate test remembers (entries older than the
  // window are dropped as later events arrive).
  size_t GetRememberedEventCount() {
    CScopedLock hold(dataLock_);
    return lastEvents_.size();
  }

 protected:
  std::string MakeStatusFileName(const CVuzorMetroEventReceiverItem& job) const override;
  void OnStartSettings(CLocalAppSettings& settings) override;
  void OnStartReset() override;
  void OnStopped() override;
  int RunSenderPass(int id) override;

 private:
  // One pass of the receive task: binds the socket when it has none, then
  // receives until Stop or a receive error. Returns the delay before the next pass.
  int ReceivePass();
  bool BindSocket();
  void CloseSocket();
  void ReceiveLoop(int socket);
  void OnDatagram(const char* data, size_t size, const std::string& address);
  void RecordAccepted(const CDMEventData& event, const std::string& address, int64_t now);
  static void SendTask(void* context, intptr_t site);
  // Send runs of `site` until its queue is empty, one run at a time.
  void SendRun(int site);
  // One run: batch after batch until the queue is empty or a post finds no
  // connection. Sets the lowest-ID job's LastErrorCode when it posted.
  void SendBatches(int site);
  // A site has at most one send run: claiming fails while a run holds it,
  // and that run takes what is queued meanwhile.
  bool ClaimSite(int site);
  void ReleaseSite(int site);

  CLocalAppSettings& settings_;
  std::atomic<int> window_{5};  // duplicate window in seconds; 0 or less: no test
  std::atomic<int> port_{0};    // the port Start took from the lowest-ID job
  std::atomic<int> socket_{-1};
  std::atomic<uint64_t> lastBindLogMs_{0};
  std::atomic<bool> bindLogged_{false};

  CLock dataLock_;  // guards sites_, sitesInRun_, lastEvents_ and lastPrune_
  std::vector<CHttpTargetSite> sites_ GUARDED_BY(dataLock_);
  std::vector<bool> sitesInRun_ GUARDED_BY(dataLock_);
  std::map<std::string, CDMEventData> lastEvents_ GUARDED_BY(dataLock_);
  int64_t lastPrune_ GUARDED_BY(dataLock_) = 0;

  TSendQueues<std::string> siteQueues_{kSiteQueueLimit};
  std::atomic<uint64_t> accepted_{0};
  std::atomic<uint64_t> sitePosts_{0};
  CSimpleThreadPool senderPool_;
};
