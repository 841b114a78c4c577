// Services of the tests' own behind IGateService, one per kind, built on the
// real job records and kind descriptors: a test gives each job as one plain
// TestJob (the fields any kind shows) and its run status as a TestStatus
// (times as UTC texts; run the tests under TZ=UTC to read them back
// unchanged). Every call is written to a journal shared by the services of
// one test ("Start 3" for kind 3), so the order across services shows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/GateServiceOf.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"

// The kinds by number, as the tests name them.
enum TestKind {
  kTestDataSync = 1,
  kTestNvrSync = 2,
  kTestAIEvents = 3,
  kTestServerStatus = 4,
  kTestHTNvrSync = 5,
  kTestAlarmOutput = 6,
  kTestMetroEvents = 7,
};

// One job, with the fields that some kind shows.
struct TestJob {
  int id = 0;
  std::string target;      // TargetUrl or TargetAddress
  std::string sourceData;  // data synchronizer
  int eventKind = 0;       // alarm output
  int channel = 0;         // alarm output
  int port = 0;            // metro event receiver
};

// One run status; times are UTC texts "YYYY-MM-DD HH:MM:SS".
struct TestStatus {
  int id = 0;
  std::string lastTime;          // LastDateTimeExecuted, or the metro receiver's LastDateTimeReceived
  int lastErrorCode = 0;
  std::string lastSynchronized;  // synchronizers
};

// What the tests set and read of any kind's test service.
class TestGateService {
 public:
  virtual ~TestGateService() = default;
  void AddJob(const TestJob& job, const TestStatus& status) {
    items[job.id] = job;
    statuses[job.id] = status;
  }
  std::map<int, TestJob> items;
  std::map<int, TestStatus> statuses;
  CGateServiceHiddenSettings hidden;           // as last applied
  CGateServiceHiddenSettings initializedWith;  // as applied when Initialize ran
  bool configured = true;
  bool running = false;
  // The service as the window sees it.
  virtual std::shared_ptr<IGateService> AsService() = 0;
  // Publishes a message to its subscribers.
  virtual void Publish(const std::string& message, intptr_t value1, intptr_t value2, intptr_t value3) = 0;
};

namespace test_gate_service {

inline void Fill(const TestJob& job, CDataSynchronizerItem* item) {
  item->SetSourceData(job.sourceData);
  item->SetTargetUrl(job.target);
}
inline void Fill(const TestJob& job, CNvrDataSynchronizerItem* item) { item->SetTargetAddress(job.target); }
inline void Fill(const TestJob& job, CHTNvrDataSynchronizerItem* item) { item->SetTargetAddress(job.target); }
inline void Fill(const TestJob& job, CAIEventPublisherItem* item) { item->SetTargetUrl(job.target); }
inline void Fill(const TestJob& job, CServerStatusPublisherItem* item) { item->SetTargetUrl(job.target); }
inline void Fill(const TestJob& job, CAlarmOutputPublisherItem* item) {
  item->SetTargetUrl(job.target);
  item->SetEventKind(job.eventKind);
  item->SetChannel(job.channel);
}
inline void Fill(const TestJob& job, CVuzorMetroEventReceiverItem* item) { item->SetPort(job.port); }

inline void Fill(const TestStatus& status, CDataSynchronizerItemStatus* record) {
  record->SetLastDateTimeExecuted(status.lastTime);
  record->SetLastDateTimeSynchronized(status.lastSynchronized);
}
inline void Fill(const TestStatus& status, CJobItemStatus* record) { record->SetLastDateTimeExecuted(status.lastTime); }
inline void Fill(const TestStatus& status, CVuzorMetroEventReceiverItemStatus* record) {
  record->SetLastDateTimeReceived(status.lastTime);
}

template <class Item, class Status>
class Service : public CGateServiceOf<Item, Status>,
                public TestGateService,
                public std::enable_shared_from_this<Service<Item, Status>> {
 public:
  Service(const TGateServiceKind<Item, Status>& kind, std::shared_ptr<std::vector<std::string>> journal)
      : CGateServiceOf<Item, Status>(kind), journal_(std::move(journal)) {}

  std::shared_ptr<IGateService> AsService() override { return this->shared_from_this(); }
  using CGateServiceOf<Item, Status>::Publish;  // the three-value form stays visible
  void Publish(const std::string& message, intptr_t value1, intptr_t value2, intptr_t value3) override {
    this->NotifySubscribers(message, value1, value2, value3);
  }

  void ApplyHiddenSettings(const CGateServiceHiddenSettings& settings) override { hidden = settings; }
  void Initialize() override {
    Note("Initialize");
    initializedWith = hidden;
  }
  void Start() override {
    Note("Start");
    running = true;
  }
  void Stop() override {
    Note("Stop");
    running = false;
  }
  void OnFinalStop() override { Note("FinalStop"); }
  bool IsConfigured() override {
    Note("IsConfigured");
    return configured;
  }
  std::map<int, Item> GetItems() override {
    std::map<int, Item> copies;
    for (const auto& entry : items) copies[entry.first] = GetItem(entry.first);
    return copies;
  }
  Item GetItem(int id) override {
    Item item;
    auto it = items.find(id);
    if (it == items.end()) return item;
    item.SetID(it->second.id);
    Fill(it->second, &item);
    return item;
  }
  Status GetItemStatus(int id) override {
    Status record;
    auto it = statuses.find(id);
    if (it == statuses.end()) return record;
    record.SetID(it->second.id);
    record.SetLastErrorCode(it->second.lastErrorCode);
    Fill(it->second, &record);
    return record;
  }

 private:
  void Note(const char* what) {
    if (journal_) journal_->push_back(std::string(what) + " " + std::to_string(this->GetKind().number));
  }
  std::shared_ptr<std::vector<std::string>> journal_;
};

template <class Item, class Status>
std::shared_ptr<TestGateService> Make(const TGateServiceKind<Item, Status>& kind,
                                      std::shared_ptr<std::vector<std::string>> journal) {
  return std::make_shared<Service<Item, Status>>(kind, std::move(journal));
}

}  // namespace test_gate_service

// A test service of kind `kind` (1 to 7).
inline std::shared_ptr<TestGateService> MakeTestGateService(int kind,
                                                            std::shared_ptr<std::vector<std::string>> journal) {
  using test_gate_service::Make;
  switch (kind) {
    case kTestDataSync: return Make(kDataSynchronizerKind, journal);
    case kTestNvrSync: return Make(kNvrDataSynchronizerKind, journal);
    case kTestAIEvents: return Make(kAIEventPublisherKind, journal);
    case kTestServerStatus: return Make(kServerStatusPublisherKind, journal);
    case kTestHTNvrSync: return Make(kHTNvrDataSynchronizerKind, journal);
    case kTestAlarmOutput: return Make(kAlarmOutputPublisherKind, journal);
    default: return Make(kMetroEventReceiverKind, journal);
  }
}
