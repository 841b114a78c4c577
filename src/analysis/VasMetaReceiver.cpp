#include "analysis/VasMetaReceiver.h"

#include "analysis/VasMetaClientFactory.h"
#include "analysis/VasMetaClientBase.h"
#include "foundation/Log.h"
#include "platform/ProgramFolder.h"

CVasMetaReceiver::CVasMetaReceiver(std::shared_ptr<platform::Clock> clock, CVasMetaTimings timings)
    : clock_(std::move(clock)), timings_(timings), fileLogger_(clock_), thread_(this) {}

CVasMetaReceiver::~CVasMetaReceiver() {
  Stop();
  thread_.Join();
}

void CVasMetaReceiver::DeleteMeta(int /*reserved*/, void* item, void* /*context*/) {
  delete static_cast<CVAR*>(item);
}

void CVasMetaReceiver::DeleteAllCount(int /*reserved*/, void* item, void* /*context*/) {
  delete static_cast<CVARAllCount*>(item);
}

void CVasMetaReceiver::SetAllCountCallback(VasAllCountCallbackFn callback, void* param) {
  CScopedLock hold(allCountLock_);
  allCountCallback_ = callback;
  allCountParam_ = param;
}

void CVasMetaReceiver::SetFileLogFolder(const std::string& folder) {
  CScopedLock hold(lock_);
  fileLogFolder_ = folder;
  fileLogFolderSet_ = true;
}

bool CVasMetaReceiver::PushAllCount(CVARAllCount* counts) {
  CScopedLock hold(allCountLock_);
  return allCountQueue_.Push(counts) == 1;
}

std::shared_ptr<CVasMetaClientBase> CVasMetaReceiver::GetClient(int vasId) {
  CScopedLock hold(lock_);
  auto found = clients_.find(vasId);
  return found == clients_.end() ? nullptr : found->second;
}

size_t CVasMetaReceiver::GetClientCount() {
  CScopedLock hold(lock_);
  return clients_.size();
}

bool CVasMetaReceiver::Run(VasMetaCallbackFn callback, void* param) {
  if (!callback || !param) {
    GATE_LOG(1, "Invalid arguments. pfnCallback=%p, pParam=%p\r\n", reinterpret_cast<void*>(callback), param);
    return false;
  }
  CScopedLock hold(lock_);
  if (thread_.IsRunning() || !clients_.empty()) {
    GATE_LOG(1, "ERROR - The metadata receiver runs already; Stop it before Run.\r\n");
    return false;
  }
  // The detailed lines of the receiver and its clients go to their own daily
  // file beside the process log, so that an operator can read them.
  fileLogger_.SetPrefix(kFileLogPrefix);
  fileLogger_.SetKeepDays(kFileLogKeepDays);
  std::string folder = fileLogFolderSet_ ? fileLogFolder_ : platform::ProgramPath("Log");
  if (!folder.empty() && !fileLogger_.IsOpen()) fileLogger_.Open(folder);
  {
    CScopedLock holdCounts(allCountLock_);
    allCountQueue_.Open(&CVasMetaReceiver::DeleteAllCount, this);
  }
  if (ConnInfos.empty()) return true;
  queue_.Open(&CVasMetaReceiver::DeleteMeta, this);
  callback_ = callback;
  param_ = param;
  thread_.Start(kThreadName);
  for (const CVasConnInfo& info : ConnInfos) {
    std::shared_ptr<CVasMetaClientBase> client = CreateVasMetaClient(info, this);
    if (!client) {
      GATE_LOG(1, "INFO - No metadata client for the analysis server kind %d (VasID %d).\r\n", info.Type,
               info.VasID);
      continue;
    }
    client->Thumbnail = Thumbnail;
    client->ThumbnailInterval = ThumbnailInterval;
    client->UseChannelFilter = UseChannelFilter;
    client->Run();
    // A client replaced here stops and joins its thread as it goes.
    clients_[info.VasID] = std::move(client);
  }
  return true;
}

bool CVasMetaReceiver::Stop() {
  CScopedLock hold(lock_);
  for (auto& [id, client] : clients_) client->RequestStop();
  for (auto& [id, client] : clients_) client->StopClient();
  clients_.clear();
  ConnInfos.clear();
  thread_.Stop();
  queue_.Push(nullptr);  // wakes the delivery thread at once
  thread_.Join();
  callback_ = nullptr;
  param_ = nullptr;
  queue_.Close();
  // Both queues close on every Stop, whatever Run started.
  CloseAllCountQueue();
  fileLogger_.Write(3, "Exit logging.\n");
  return true;
}

void CVasMetaReceiver::CloseAllCountQueue() {
  CScopedLock hold(allCountLock_);
  allCountQueue_.Close();
}

bool CVasMetaReceiver::CDeliveryThread::DoJob() {
  owner_->DeliverOne();
  return true;
}

void CVasMetaReceiver::DeliverOne() {
  CVARAllCount* counts = nullptr;
  VasAllCountCallbackFn countCallback = nullptr;
  void* countParam = nullptr;
  {
    CScopedLock hold(allCountLock_);
    counts = static_cast<CVARAllCount*>(allCountQueue_.Pop(false, 0));
    countCallback = allCountCallback_;
    countParam = allCountParam_;
  }
  if (counts) {
    if (!countCallback || !countCallback(counts, countParam)) delete counts;
    return;
  }
  CVAR* result = static_cast<CVAR*>(queue_.Pop(true, timings_.receiverWaitMs));
  if (!result) return;
  if (!callback_ || !callback_(result, param_)) delete result;
}
