// CAIEventPublisher: the AI event publisher on the event-service frame. Its
// main task keeps a picture of the installation's analysis devices, their
// cameras and the analysis servers (re-read from the database every minute)
// and restarts the metadata receiver only when the servers changed. Every
// analysis result the receiver hands over is matched against the device's
// regions and line crosses, their intelligent events and schedules
// (OnMetaEvent); the matches become AI event records posted as one JSON body
// per result to every job's target (send mode 1), or building-IoT records
// (send mode 2). Matched events stay active for the dwell time for the event
// server's status page.
//
// Threads: the frame's (user-interface thread, main pool, sender pool); the
// receiver's delivery thread runs OnMetaEvent; any thread may read the
// active events. Locks: dataLock_ guards the device and camera maps and the
// stores' pointers, held only to swap them or look one key up; the active
// events have their own lock; the receiver is stopped and started with no
// lock of the publisher held.
#pragma once

#include <stdint.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/VasMetaReceiver.h"
#include "services/AIEventData.h"
#include "services/ActiveEventTable.h"
#include "services/BIoTEventSender.h"
#include "services/CrowdDensityFilter.h"
#include "services/EventServiceFrame.h"

class CDBDataStore;
class CDataStore;
class CTBLCamera;
class CTBLVasDevice;

// The AI event publisher's values on the frame.
extern const CEventServiceConfig kAIEventPublisherConfig;

class CAIEventPublisher : public TEventServiceFrame<CAIEventPublisherItems, CAIEventPublisherItemStatus> {
 public:
  static constexpr int kSendModeHttp = 1;
  static constexpr int kSendModeBIoT = 2;

  // `settings` must outlive the publisher. `clock` gives "now" to the
  // matching and the expiry; `config` is kAIEventPublisherConfig but for tests.
  explicit CAIEventPublisher(CLocalAppSettings& settings,
                             std::shared_ptr<platform::Clock> clock = platform::SystemClock(),
                             const CEventServiceConfig& config = kAIEventPublisherConfig);
  // Stops the service.
  ~CAIEventPublisher() override;

  // Before Initialize: send mode 2 with the site ID and event interval when
  // building-IoT is on, and the dwell time always.
  void ApplyHiddenSettings(const CGateServiceHiddenSettings& hidden) override;
  void SetSendMode(int mode) { sendMode_.store(mode); }
  int GetSendMode() const { return sendMode_.load(); }
  void SetDwellTime(int seconds) { dwellTime_.store(seconds); }
  void SetSiteID(const std::string& siteId) { siteId_ = siteId; }
  void SetEventInterval(int interval) { eventInterval_ = interval; }

  // The receiver's callback: false (the receiver deletes the result) for a
  // null pointer, else OnMetaEvent's answer.
  static bool VasMetaCallback(CVAR* result, void* param);
  // Matches one analysis result and publishes its records; takes and deletes
  // the result, returns true. Takes dataLock_ for the device look-up, then
  // the active events' lock per match; reads rows through the entity store.
  bool OnMetaEvent(CVAR* result);

  // Serialises `events` as one JSON array, logs it ("INFO - Publish Event :
  // ..."), encodes it (UTF-8, enciphered while EncryptContents is on) and
  // appends it to every job's queue.
  void PublishEvent(const std::vector<CAIEventData>& events);
  // Appends the building-IoT records of one result to every job's queue (a
  // queue holding 1000 records or more is emptied first: "INFO - SendQ is
  // full (<job>)"); each job's sender hands them to its notifier (send mode 2).
  void PublishEventToBIoT(const std::vector<CBIoTEventData>& events);
  // Also shown every building-IoT batch as it is queued (none by default).
  void SetBIoTEventSink(std::function<void(const std::vector<CBIoTEventData>&)> sink);
  // Building-IoT records waiting for job `id`.
  size_t GetBIoTQueuedCount(int id) { return bIoTSender_.Size(id); }

  // Copies of the active events and each device's last event. Any thread.
  CActiveEventMap GetActiveEvents() const { return activeEvents_.GetActiveEvents(); }
  CLastEventMap GetLastEvents() const { return activeEvents_.GetLastEvents(); }
  // The expiry sweep at the clock's now with the dwell time.
  void ExpireActiveEvents();

  // What the main passes did: passes that found the database, and receiver
  // restarts (each a Stop, then a Run with the new server list).
  int GetMainPassCount() const { return mainPasses_.load(); }
  int GetReceiverRestartCount() const { return receiverRestarts_.load(); }
  // The servers the receiver was last started with, by VasID.
  std::map<int, CVasConnInfo> GetVasList();

 protected:
  std::string MakeStatusFileName(const CAIEventPublisherItem& job) const override;
  void OnStartSettings(CLocalAppSettings& settings) override;
  void OnStartReset() override;
  void OnStopped() override;
  bool RunMainPass() override;
  int RunSenderPass(int id) override;

 private:
  // The device and camera of a server channel, and the store their rows belong to.
  struct DeviceEntry {
    std::shared_ptr<CTBLVasDevice> device;
    std::shared_ptr<CTBLCamera> camera;  // null when the device's camera row is missing
  };
  bool IsBIoTMode() const { return sendMode_.load() == kSendModeBIoT; }
  void UpdateThumbnail(const CVAR& result, int64_t time);
  bool FindThumbnail(const CVAR& result, int64_t time, std::string* thumbnail) const;
  // The building-IoT sender pass of job `id`: its queued records to its
  // notifier; LastErrorCode 0, or 100 after a record that failed.
  int RunBIoTSenderPass(int id);

  std::atomic<int> sendMode_{kSendModeHttp};
  std::atomic<int> dwellTime_{3};
  std::string siteId_;     // set before Initialize, then only read
  int eventInterval_ = 15;  // set before Initialize, then only read
  // Set by Start while the receiver is stopped, read by the receiver thread.
  std::atomic<int> eventStatusSendPeriod_{10};

  CLock dataLock_;  // guards devices_, dbStore_ and store_
  std::map<CVasChannelKey, DeviceEntry> devices_ GUARDED_BY(dataLock_);
  std::shared_ptr<CDBDataStore> dbStore_ GUARDED_BY(dataLock_);
  std::shared_ptr<CDataStore> store_ GUARDED_BY(dataLock_);

  // Main task only (and Start, while no task runs).
  CLock vasListLock_;  // guards vasList_ for GetVasList
  std::map<int, CVasConnInfo> vasList_ GUARDED_BY(vasListLock_);
  std::atomic<int> mainPasses_{0};
  std::atomic<int> receiverRestarts_{0};

  // Receiver thread only (and Start, while the receiver is stopped).
  CCrowdDensityFilter crowdFilter_;
  struct Thumbnail {
    int64_t time = 0;
    std::string text;
  };
  std::map<int, Thumbnail> thumbnails_;  // camera no -> last thumbnail; send mode 2

  CBIoTEventSender bIoTSender_;
  CActiveEventTable activeEvents_;
  CLock sinkLock_;  // guards bIoTSink_
  std::function<void(const std::vector<CBIoTEventData>&)> bIoTSink_ GUARDED_BY(sinkLock_);

  CVasMetaReceiver receiver_;  // last: stopped before the members its callback uses go
};
