#include "services/VuzorMetroEventReceiver.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include "foundation/XmlSerializer.h"
#include "net/SimpleHttpParser.h"
#include "net/UrlFormatter.h"
#include "services/HttpPostTarget.h"
#include "services/MetroDatagram.h"
#include "shell/UtcTimeText.h"

const CEventServiceConfig kMetroEventReceiverConfig = [] {
  CEventServiceConfig config;
  config.sourceFile = "VuzorMetroEventReceiver";
  config.className = "CVuzorMetroEventReceiver";
  config.mainTaskName = "OnEventReceiverTask";
  config.senderTaskName = "OnSendEvent";
  config.statusFilePattern = "DMEventReceiver_*.dat";
  config.mainPoolName = "RECEIVER_WORKER";
  config.mainPoolWorkers = 2;  // the receive loop and the status-save task
  config.senderPoolName = "RECEIVER_JOBS";
  config.senderPoolWorkers = 1;
  config.mainDelayMs = 0;  // no polling pass: the receive task is the main work
  config.statusSaveDelayMs = 10000;
  return config;
}();

namespace {

constexpr const char* kSenderPoolName = "SENDER_WORKER";
constexpr int kSenderPoolWorkers = 8;
constexpr int kHistoryLimit = 100;
constexpr uint64_t kBindLogPeriodMs = 60000;
constexpr int kReceiveBufferBytes = 1 << 20;

}  // namespace

CHttpPostTarget SiteTarget(const CHttpTargetSite& site) {
  CUrlFormatter url;
  url.SetUrl(site.GetTargetUrl());
  bool tls = strcasecmp(url.GetScheme().c_str(), "https") == 0;
  CHttpPostTarget target = CHttpPostTarget::FromUrl(site.GetTargetUrl(), site.GetTargetLoginID(),
                                                    site.GetTargetPasswordPlain(), site.GetTargetAuthMethod(), tls);
  if (url.GetPort() <= 0 && tls) {
    target.endpoint = CHttpEndpoint(url.GetHost(), 443, site.GetTargetLoginID(), site.GetTargetPasswordPlain(),
                                    site.GetTargetAuthMethod(), 1);
  }
  return target;
}

namespace {

// The job with the lowest ID, or null for an empty list.
const CVuzorMetroEventReceiverItem* LowestJob(const CVuzorMetroEventReceiverItems& jobs) {
  const CVuzorMetroEventReceiverItem* lowest = nullptr;
  for (const auto& job : jobs.GetItems()) {
    if (!lowest || job.GetID() < lowest->GetID()) lowest = &job;
  }
  return lowest;
}

}  // namespace

CVuzorMetroEventReceiver::CVuzorMetroEventReceiver(CLocalAppSettings& settings,
                                                   std::shared_ptr<platform::Clock> clock,
                                                   const CEventServiceConfig& config)
    : TEventServiceFrame(kMetroEventReceiverKind, config, settings,
                         &CLocalAppSettings::Option_GetVuzorMetroEventReceiverItems, std::move(clock)),
      settings_(settings) {
  AddPeriodicTask(0, [this] { return ReceivePass(); });
}

CVuzorMetroEventReceiver::~CVuzorMetroEventReceiver() {
  Stop();
  senderPool_.Stop(false, 30);
  CloseSocket();
}

bool CVuzorMetroEventReceiver::IsConfigured() {
  CVuzorMetroEventReceiverItems jobs = settings_.Option_GetVuzorMetroEventReceiverItems();
  const CVuzorMetroEventReceiverItem* job = LowestJob(jobs);
  return job && job->GetEnable() && !job->GetTargetSites().empty();
}

unsigned short CVuzorMetroEventReceiver::GetBoundPort() const {
  return socket_.load() < 0 ? 0 : static_cast<unsigned short>(port_.load());
}

std::string CVuzorMetroEventReceiver::MakeStatusFileName(const CVuzorMetroEventReceiverItem& job) const {
  return "DMEventReceiver_" + std::to_string(job.GetPort()) + "_Status_" + std::to_string(job.GetID()) + ".dat";
}

void CVuzorMetroEventReceiver::OnStartSettings(CLocalAppSettings& settings) {
  window_.store(settings.GetInt(CLocalAppSettings::kJobCategory, "DMEventThresholdSeconds", 5));
}

void CVuzorMetroEventReceiver::OnStartReset() {
  CVuzorMetroEventReceiverItems jobs = settings_.Option_GetVuzorMetroEventReceiverItems();
  const CVuzorMetroEventReceiverItem* job = LowestJob(jobs);
  {
    CScopedLock hold(dataLock_);
    sites_ = job ? job->GetTargetSites() : std::vector<CHttpTargetSite>();
    sitesInRun_.assign(sites_.size(), false);
    lastEvents_.clear();
    lastPrune_ = 0;
  }
  siteQueues_.Open();
  port_.store(job ? (job->GetPort() & 0xFFFF) : 10002);
  bindLogged_.store(false);
  BindSocket();
  senderPool_.Start(kSenderPoolName, kSenderPoolWorkers);
}

void CVuzorMetroEventReceiver::OnStopped() {
  siteQueues_.Close();
  senderPool_.Stop(false, 30);
  CloseSocket();
  SaveAllStatuses();
}

int CVuzorMetroEventReceiver::RunSenderPass(int /*id*/) {
  return -1;  // the service posts per site (SendRun), not per job
}

bool CVuzorMetroEventReceiver::BindSocket() {
  if (socket_.load() >= 0) return true;
  int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s >= 0) {
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    int bytes = kReceiveBufferBytes;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof(bytes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port_.load()));
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
      socket_.store(s);
      return true;
    }
    close(s);
  }
  // A port held by another program: the receive task tries again every
  // kBindRetryMs, and the failure is logged once a minute, not every second.
  uint64_t now = GetClock()->MonotonicMillis();
  if (!bindLogged_.load() || now - lastBindLogMs_.load() >= kBindLogPeriodMs) {
    bindLogged_.store(true);
    lastBindLogMs_.store(now);
    SERVICE_LOG(Log(), "Start", "ERROR - Error raised when create '%d' udp for event receive.\r\n", port_.load());
  }
  return false;
}

void CVuzorMetroEventReceiver::CloseSocket() {
  int s = socket_.exchange(-1);
  if (s >= 0) close(s);
}

int CVuzorMetroEventReceiver::ReceivePass() {
  if (!BindSocket()) return kBindRetryMs;
  ReceiveLoop(socket_.load());
  return kBindRetryMs;
}

void CVuzorMetroEventReceiver::ReceiveLoop(int s) {
  char buffer[kMetroDatagramCapacity];
  while (IsRunning()) {
    pollfd ready{s, POLLIN, 0};
    int polled = poll(&ready, 1, kReceivePollMs);
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    sockaddr_in from{};
    socklen_t fromLength = sizeof(from);
    ssize_t size = polled < 0 ? -1
                              : recvfrom(s, buffer, sizeof(buffer), MSG_TRUNC | MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
    if (size < 0) {
      SERVICE_LOG(Log(), "OnEventReceiver", "ERROR - []Error raised while receive data. the error is %d\r\n", errno);
      return;  // the task starts a new loop after kBindRetryMs
    }
    if (static_cast<size_t>(size) > sizeof(buffer)) {
      // Linux cuts an oversized datagram silently; MSG_TRUNC gives its real
      // size, so it is dropped whole and never parsed cut. The loop goes on
      // at once: a pause would let any sender mute the receiver.
      SERVICE_LOG(Log(), "OnEventReceiver", "ERROR - []Error raised while receive data. the error is %d\r\n",
                  EMSGSIZE);
      continue;
    }
    char address[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &from.sin_addr, address, sizeof(address));
    OnDatagram(buffer, static_cast<size_t>(size), address);
  }
}

void CVuzorMetroEventReceiver::OnDatagram(const char* data, size_t size, const std::string& address) {
  CDMEventData event;
  if (!ReadMetroDatagram(data, size, address, Log(), &event)) return;
  int64_t now = GetClock()->NowSeconds();
  int window = window_.load();
  std::string key = event.GetDuplicateKey();
  bool duplicate = false;
  if (window > 0) {
    CScopedLock hold(dataLock_);
    auto it = lastEvents_.find(key);
    if (it != lastEvents_.end() && it->second.GetEventType() == event.GetEventType() &&
        it->second.IsReceivedWithin(window, now)) {
      // The window slides: a train that keeps repeating stays suppressed.
      it->second.SetReceivedTime(now);
      duplicate = true;
    }
  }
  std::string train = LogSafeText(event.GetTrainNo());
  if (duplicate) {
    SERVICE_LOG(Log(), "OnEventReceiver", "INFO - [%s] Event Skipped. (%s / %d / %d)\r\n", address.c_str(),
                train.c_str(), event.GetCarNo(), event.GetEventType());
    return;
  }
  SERVICE_LOG(Log(), "OnEventReceiver", "INFO - [%s] Event Received. (%s / %d / %d)\r\n", address.c_str(),
              train.c_str(), event.GetCarNo(), event.GetEventType());
  if (event.GetDateTimeRaised().empty()) event.SetDateTimeRaised(FormatUtcTimeText(now));
  event.SetReceivedTime(now);
  RecordAccepted(event, address, now);
  std::string body = CXmlSerializer::ToXml(event);

  std::vector<int> siteIndexes;
  {
    CScopedLock hold(dataLock_);
    lastEvents_[key] = event;
    // Entries older than the window can no longer suppress anything: drop
    // them (once a second at most), so a sender's distinct keys cost memory
    // only for the length of the window.
    if (now != lastPrune_) {
      lastPrune_ = now;
      for (auto it = lastEvents_.begin(); it != lastEvents_.end();) {
        it = (window > 0 && it->second.IsReceivedWithin(window, now)) ? std::next(it) : lastEvents_.erase(it);
      }
    }
    for (size_t i = 0; i < sites_.size(); ++i) siteIndexes.push_back(static_cast<int>(i));
  }
  std::vector<int> flushed;
  siteQueues_.AppendToAll(siteIndexes, body, &flushed);
  for (int site : flushed) SERVICE_LOG(Log(), "OnEventReceiver", "INFO - SendQ is full (%d)\r\n", site);
  for (int site : siteIndexes) {
    if (!ClaimSite(site)) continue;  // the site's run takes the body
    if (!senderPool_.AddJob(&CVuzorMetroEventReceiver::SendTask, this, site, 0, "SENDER_" + std::to_string(site))) {
      ReleaseSite(site);
    }
  }
  ++accepted_;
}

void CVuzorMetroEventReceiver::RecordAccepted(const CDMEventData& event, const std::string& address,
                                              int64_t now) {
  std::vector<int> ids = GetJobIDs();
  if (ids.empty()) return;
  StatusPtr status = FindStatus(ids.front());
  if (!status) return;
  CVuzorMetroEventHistory entry;
  entry.SetTrainSetNumber(event.GetTrainNo());
  entry.SetCarNumber(event.GetCarNo());
  entry.SetEventType(event.GetEventType());
  entry.SetDateTimeReceived(event.GetRaisedTimeText());
  status->Update([&](CVuzorMetroEventReceiverItemStatus& s) {
    s.SetLastAddress(address);
    s.SetLastReceivedTime(now);
    auto& histories = s.GetHistories();
    if (histories.size() >= kHistoryLimit) {
      histories.erase(histories.begin(), histories.end() - (kHistoryLimit - 1));
    }
    histories.push_back(entry);
  });
}

void CVuzorMetroEventReceiver::SendTask(void* context, intptr_t site) {
  static_cast<CVuzorMetroEventReceiver*>(context)->SendRun(static_cast<int>(site));
}

bool CVuzorMetroEventReceiver::ClaimSite(int site) {
  CScopedLock hold(dataLock_);
  if (site < 0 || static_cast<size_t>(site) >= sitesInRun_.size() || sitesInRun_[static_cast<size_t>(site)]) {
    return false;
  }
  sitesInRun_[static_cast<size_t>(site)] = true;
  return true;
}

void CVuzorMetroEventReceiver::ReleaseSite(int site) {
  CScopedLock hold(dataLock_);
  if (site >= 0 && static_cast<size_t>(site) < sitesInRun_.size()) sitesInRun_[static_cast<size_t>(site)] = false;
}

void CVuzorMetroEventReceiver::SendRun(int site) {
  // A body appended between the run's last take and its release found the
  // site claimed and queued no run: the released run looks once more.
  do {
    SendBatches(site);
    ReleaseSite(site);
  } while (IsRunning() && siteQueues_.Size(site) > 0 && ClaimSite(site));
}

void CVuzorMetroEventReceiver::SendBatches(int site) {
  CHttpTargetSite target;
  {
    CScopedLock hold(dataLock_);
    if (site < 0 || static_cast<size_t>(site) >= sites_.size()) return;
    target = sites_[static_cast<size_t>(site)];
  }
  CHttpPostTarget post = SiteTarget(target);
  int code = kPostSucceeded;
  bool posted = false;
  // Batch after batch until the queue is empty. After a post that finds no
  // connection the rest of that batch is dropped and the run ends; bodies
  // queued later wait for the run the next event queues.
  while (IsRunning() && code != kPostNoConnection) {
    std::vector<std::string> batch = siteQueues_.TakeAll(site, 0);
    if (batch.empty()) break;
    for (const std::string& body : batch) {
      if (!IsRunning()) break;
      std::string reply;
      posted = true;
      ++sitePosts_;
      if (!post.endpoint.Post(post.requestPath, body, &reply, kPostTimeoutSec)) {
        SERVICE_LOG(Log(), "OnSendEvent", "ERROR - Error raised when post uri (%s)\r\n",
                    target.GetTargetUrl().c_str());
        code = kPostNoConnection;
        break;
      }
      if (CSimpleHttpParser(reply).statusCode != 200) code = kPostReplyNot200;
    }
  }
  if (!posted) return;
  // The job list shows the outcome of the last run: 4 no connection, 5 a
  // reply other than 200, 0 every body delivered.
  std::vector<int> ids = GetJobIDs();
  if (ids.empty()) return;
  if (StatusPtr status = FindStatus(ids.front())) {
    status->Update([code](CVuzorMetroEventReceiverItemStatus& s) { s.SetLastErrorCode(code); });
  }
}
