#include "net/HttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/HttpReply.h"
#include "net/HttpHeader.h"
#include "net/MyHttp.h"
#include "net/SimpleHttpParser.h"

namespace {

const char kBanner[] = "Welcome to ORVU!!!\r\n\r\n";

// Request bodies of up to 16 MiB are made on many worker threads at once. By
// default glibc serves such blocks from per-thread arenas once one of that
// size was freed, and keeps the freed memory there: after 60 parallel 16 MiB
// posts an idle server held over 1 GB. A fixed threshold makes every block of
// 1 MiB or more a mapping of its own, returned to the system when freed (and
// keeps the arenas' trim threshold low). An operator's own
// MALLOC_MMAP_THRESHOLD_ is left in force.
void ReturnLargeBlocksToTheSystem() {
  static std::once_flag once;
  std::call_once(once, [] {
    constexpr int kLargeBlock = 1024 * 1024;
    if (!getenv("MALLOC_MMAP_THRESHOLD_")) mallopt(M_MMAP_THRESHOLD, kLargeBlock);
  });
}

}  // namespace

// ---------------------------------------------------------------- worker

class CHttpServer::CWorkerThread : public CThread {
 public:
  CWorkerThread(CHttpServer* server, int credentialsMode) : server_(server), credentialsMode_(credentialsMode) {}
  ~CWorkerThread() override { EndThread(); }

  // Hands the worker a connection and wakes it. Takes the worker's lock.
  void Assign(SOCKET socket, const std::string& address, unsigned short port) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      socket_ = socket;
      address_ = address;
      port_ = port;
      woken_ = true;
    }
    wake_.notify_one();
  }

  // Requests the stop and wakes the worker: a connection being served is shut
  // down (its reads and writes fail at once) and closed by the worker itself.
  void Stop() override {
    CThread::Stop();
    {
      std::lock_guard<std::mutex> hold(mutex_);
      sock::Shutdown(socket_);
      woken_ = true;
    }
    wake_.notify_one();
  }

 protected:
  bool DoJob() override {
    SOCKET socket;
    std::string address;
    unsigned short port;
    {
      std::unique_lock<std::mutex> hold(mutex_);
      wake_.wait_for(hold, std::chrono::seconds(1), [this] { return woken_; });
      woken_ = false;
      socket = socket_;
      address = address_;
      port = port_;
    }
    if (socket == INVALID_SOCKET) return true;
    int kept = Service(socket, address, port);
    {
      std::lock_guard<std::mutex> hold(mutex_);
      socket_ = INVALID_SOCKET;  // from here Stop no longer touches it
      address_.clear();
      port_ = 0;
    }
    if (kept == 0) sock::Close(socket);
    server_->ReleaseWorker(this);
    return true;
  }

  // A connection handed over as the worker stopped is closed unserved.
  void OnExitInstance() override {
    std::lock_guard<std::mutex> hold(mutex_);
    sock::Close(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  // Serves one request. Returns the handler's result, or 0.
  int Service(SOCKET socket, const std::string& peerAddress, unsigned short peerPort);

  CHttpServer* const server_;
  const int credentialsMode_;
  std::mutex mutex_;  // guards socket_, address_, port_ and woken_
  std::condition_variable wake_;
  bool woken_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  std::string address_;
  unsigned short port_ = 0;
};

int CHttpServer::CWorkerThread::Service(SOCKET socket, const std::string& peerAddress, unsigned short peerPort) {
  std::vector<char> buffer;
  int headerLength = CMyHttp::RecvHeader(socket, &buffer, nullptr, server_->requestTimeoutSec);
  if (headerLength <= 0) return 0;
  std::string header(buffer.data(), headerLength);
  std::string body;
  if (!server_->ReadBody(socket, header, peerAddress, &body)) return 0;

  CSimpleHttpParser request(header);
  std::string clientAddress = request.forwarded.empty() ? peerAddress : request.forwarded[0];

  // "/<category>/<cgi>?<query>"
  const std::string& path = request.path;
  size_t slash = path.size() > 1 ? path.find('/', 1) : std::string::npos;
  if (slash != std::string::npos && slash > 1) {
    std::string category = StrToLower(std::string_view(path).substr(1, slash - 1));
    std::string rest = path.substr(slash + 1);
    size_t mark = rest.find('?');
    std::string cgi = StrToLower(std::string_view(rest).substr(0, mark));
    std::string query = mark == std::string::npos ? std::string() : rest.substr(mark + 1);

    auto foundCategory = server_->categories_.find(category);
    if (foundCategory == server_->categories_.end()) {
      GATE_LOG_DEFAULT("ERROR - Not found '%s' category\r\n", category.c_str());
    } else {
      auto foundCgi = foundCategory->second.find(cgi);
      if (foundCgi == foundCategory->second.end()) {
        GATE_LOG_DEFAULT("ERROR - Not found '%s' cgi (%s)\r\n", cgi.c_str(), category.c_str());
      } else {
        if (server_->requestLog) {
          GATE_LOG_DEFAULT("INFO - Request command : %s/%s (%s)\r\n", category.c_str(), cgi.c_str(),
                           clientAddress.c_str());
        }
        const CGIHANDLER& entry = foundCgi->second;
        if (entry.flags && !server_->Authenticate(socket, credentialsMode_, category, cgi, request.method,
                                                  request.path, request.authorization, &query, &body)) {
          return 0;
        }
        if (!entry.handler) return 0;
        return entry.handler(socket, clientAddress, peerPort, header, category, cgi, query, body,
                             server_->context_);
      }
    }
  }
  ::send(socket, kBanner, sizeof(kBanner) - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  return 0;
}

// ---------------------------------------------------------------- server

bool CHttpServer::ReadBody(SOCKET socket, const std::string& header, const std::string& peerAddress,
                           std::string* body) {
  RequestFraming framing;
  std::string error;
  if (!ReadRequestFraming(header, &framing, &error)) {
    GATE_LOG_DEFAULT("ERROR - Request from %s refused: %s.\r\n", peerAddress.c_str(), error.c_str());
    CHttpReply badRequest(400);
    SendResponse(socket, badRequest.GetStatusLine(), "", badRequest.ToXml());
    return false;
  }
  if (!framing.chunked && framing.contentLength <= 0) return true;
  CHttpReply tooLarge(413);
  if (framing.contentLength > kMaxRequestBody) {
    GATE_LOG_DEFAULT("ERROR - Request body of %d bytes refused (limit %d) from %s\r\n", framing.contentLength,
                     kMaxRequestBody, peerAddress.c_str());
    SendResponse(socket, "413 Payload Too Large", "", tooLarge.ToXml());
    return false;
  }
  if (framing.expectContinue) {
    static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
    if (sock::SendAll(socket, kContinue, sizeof(kContinue) - 1, 10000) != sizeof(kContinue) - 1) return false;
  }
  int read = CMyHttp::RecvRequestBody(socket, framing.contentLength, framing.chunked, kMaxRequestBody,
                                      requestTimeoutSec, body);
  if (read < 0) {
    GATE_LOG_DEFAULT("ERROR - Chunked request body above the limit of %d bytes refused from %s\r\n",
                     kMaxRequestBody, peerAddress.c_str());
    SendResponse(socket, "413 Payload Too Large", "", tooLarge.ToXml());
  }
  return read > 0;
}

// ---------------------------------------------------------------- server

CHttpServer::CHttpServer() { ResetState(); }

CHttpServer::~CHttpServer() {
  StopServer();
  EndThread();
  WorkerList lingering;
  {
    CScopedLock hold(lock_);
    lingering.swap(lingering_);
  }
  lingering.clear();  // each waits until its handler returns
  sock::Close(listenSocket_);
}

void CHttpServer::ResetState() {
  listenSocket_ = INVALID_SOCKET;
  port_ = 0;
  acceptFilter = nullptr;
  context_ = nullptr;
  label_.clear();
}

int CHttpServer::StartServer(unsigned short port, const std::string& label, const std::vector<CCgiMap>& cgis,
                             int /*reserved1*/, int /*reserved2*/, void* context) {
  if (IsRunning()) return 0;
  ReapLingering();
  SetName("CmdServer");
  label_ = label;
  categories_.clear();
  for (const CCgiMap& cgi : cgis) categories_[cgi.category][cgi.cgi] = CGIHANDLER{cgi.flags, cgi.handler};
  acceptFilter = nullptr;
  context_ = context;

  listenSocket_ = sock::Listen(port, bindAddress_);
  if (listenSocket_ == INVALID_SOCKET || !sock::SetNonBlock(listenSocket_, true)) {
    GATE_LOG(1, "ERROR - Cannot listen on port %hu (%s): the port is in use or needs privileges.\r\n", port,
             label.c_str());
    sock::Close(listenSocket_);
    ResetState();
    categories_.clear();
    return 0;
  }
  port_ = sock::GetLocalPort(listenSocket_);
  ReturnLargeBlocksToTheSystem();
  headerWait_ = std::make_unique<CHeaderWaitSet>(kMaxHeaderWaits, CMyHttp::kHeaderArea);
  if (!headerWait_->Open(listenSocket_)) {
    headerWait_.reset();
    sock::Close(listenSocket_);
    ResetState();
    categories_.clear();
    return 0;
  }
  {
    CScopedLock hold(lock_);
    AddWorkers();
  }
  if (!Start("CHttpServer")) {
    GATE_LOG(1, "ERROR - Cannot start the accept thread of port %hu.\r\n", port_);
    CThread::Stop();
    Stop();
    Wait(5);
    categories_.clear();
    return 0;
  }
  return 1;
}

void CHttpServer::StopServer(int waitSeconds) {
  Stop();
  Wait(waitSeconds);
  categories_.clear();
}

void CHttpServer::Stop() {
  CScopedLock hold(lock_);
  CThread::Stop();
  // Wakes the accept thread from its wait; the socket is closed once the thread has ended.
  if (listenSocket_ != INVALID_SOCKET) ::shutdown(listenSocket_, SHUT_RDWR);
  for (const auto& worker : busy_) worker->Stop();
  for (const auto& worker : idle_) worker->Stop();
  for (const Pending& pending : queued_) sock::Close(pending.socket);
  queued_.clear();
}

bool CHttpServer::Wait(int seconds) {
  // One deadline for every thread: they were all asked to stop at once, so
  // they end together, and a stuck handler costs the wait once, not per worker.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(seconds, 0));
  auto remainingSec = [&deadline] {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>((left.count() + 999) / 1000);
  };
  // The accept thread first: woken by the shut listening socket, it ends at
  // once and hands no more connections to workers.
  bool acceptEnded = CThread::Wait(remainingSec());
  WorkerList workers;
  {
    CScopedLock hold(lock_);
    workers.splice(workers.end(), busy_);
    workers.splice(workers.end(), idle_);
    workers.splice(workers.end(), lingering_);
  }
  WorkerList stillRunning;
  for (auto& worker : workers) {
    if (worker->Wait(remainingSec())) continue;  // ended: freed with `workers`
    GATE_LOG(1, "ERROR - A worker of port %hu is still in its handler; it ends when the handler returns.\r\n",
             port_);
    stillRunning.push_back(std::move(worker));
  }
  workers.clear();
  bool ended = stillRunning.empty();
  if (!stillRunning.empty()) {
    CScopedLock hold(lock_);
    lingering_.splice(lingering_.end(), stillRunning);
  }
  if (!acceptEnded) CThread::Wait(remainingSec());
  if (!IsRunning()) {
    headerWait_.reset();
    sock::Close(listenSocket_);
    ResetState();
  } else {
    ended = false;
  }
  return ended;
}

void CHttpServer::ReapLingering() {
  WorkerList ended;
  {
    CScopedLock hold(lock_);
    for (auto it = lingering_.begin(); it != lingering_.end();) {
      auto next = std::next(it);
      if (!(*it)->IsRunning()) ended.splice(ended.end(), lingering_, it);
      it = next;
    }
  }
  ended.clear();  // joins threads that have ended
}

int CHttpServer::GetLingeringWorkerCount() {
  ReapLingering();
  CScopedLock hold(lock_);
  return static_cast<int>(lingering_.size());
}

unsigned short CHttpServer::GetPort() const { return port_; }

int CHttpServer::GetWorkerCount() {
  CScopedLock hold(lock_);
  return static_cast<int>(idle_.size() + busy_.size());
}

void CHttpServer::AddWorkers() {
  int room = kMaxWorkers - static_cast<int>(idle_.size() + busy_.size());
  for (int i = 0; i < kWorkerStep && i < room; ++i) {
    auto worker = std::make_unique<CWorkerThread>(this, credentialsMode);
    if (!worker->Start("CWorkerThread")) {
      GATE_LOG(1, "ERROR - Cannot start a worker thread of port %hu.\r\n", port_);
      break;
    }
    idle_.push_back(std::move(worker));
  }
}

int CHttpServer::ReleaseWorker(CWorkerThread* worker) {
  CScopedLock hold(lock_);
  for (auto it = busy_.begin(); it != busy_.end(); ++it) {
    if (it->get() != worker) continue;
    if (!queued_.empty() && !IsStopRequested()) {
      Pending next = queued_.front();
      queued_.pop_front();
      worker->Assign(next.socket, next.address, next.port);  // stays busy
      return 1;
    }
    idle_.splice(idle_.end(), busy_, it);
    return 1;
  }
  return 0;
}

void CHttpServer::Dispatch(SOCKET socket, const std::string& address, unsigned short port) {
  CScopedLock hold(lock_);
  if (IsStopRequested()) {
    sock::Close(socket);
    return;
  }
  if (idle_.empty()) AddWorkers();
  if (!idle_.empty()) {
    busy_.splice(busy_.end(), idle_, idle_.begin());
    busy_.back()->Assign(socket, address, port);
  } else if (static_cast<int>(queued_.size()) < kMaxQueued) {
    queued_.push_back(Pending{socket, address, port});
  } else {
    GATE_LOG(1, "ERROR - Too many connections: %s:%hu closed unserved.\r\n", address.c_str(), port);
    sock::Close(socket);
  }
}

void CHttpServer::AcceptPending() {
  constexpr int kAcceptsPerStep = 64;  // then the waiting connections get their turn
  for (int i = 0; i < kAcceptsPerStep && !IsStopRequested(); ++i) {
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    SOCKET socket = accept4(listenSocket_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (socket < 0) {
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // out of descriptors: let workers finish
      }
      return;
    }
    const unsigned char* a = reinterpret_cast<const unsigned char*>(&peer.sin_addr.s_addr);
    std::string address = StrFormat("%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    unsigned short port = ntohs(peer.sin_port);
    AcceptFilter filter = acceptFilter.load();
    if (filter && !filter(socket, address, port)) {
      sock::Close(socket);
      continue;
    }
    headerWait_->Add(socket, address, port, std::clamp(requestTimeoutSec.load(), 0, 24 * 3600) * 1000);
  }
}

bool CHttpServer::DoJob() {
  std::vector<CHeaderWaitSet::Connection> ready;
  bool acceptable = headerWait_->Poll(acceptWaitMs_, &ready);
  for (const CHeaderWaitSet::Connection& connection : ready) {
    Dispatch(connection.socket, connection.address, connection.port);
  }
  if (acceptable) AcceptPending();
  return true;
}

void CHttpServer::OnExitInstance() { headerWait_->CloseAll(); }
