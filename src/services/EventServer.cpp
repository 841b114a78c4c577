#include "services/EventServer.h"

#include <strings.h>

#include "database/IDataStore.h"
#include "database/ISettingManager.h"
#include "database/SettingRows.h"
#include "database/SqlWhereClause.h"
#include "entities/User.h"
#include "foundation/Digest.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "net/HttpReply.h"
#include "services/AIEventPublisher.h"
#include "services/EventApiPages.h"

namespace {
constexpr const char* kUserTable = "TBL_User";
}  // namespace

CEventServer::CEventServer(unsigned short port, CEventStoreSource storeSource)
    : port_(port), storeSource_(std::move(storeSource)) {
  // The pages check logins themselves: no CGI asks the HTTP server for Digest credentials.
  http_.credentialsMode = 0;
}

CEventServer::~CEventServer() { Shutdown(); }

void CEventServer::Configure(const CEventServerSettings& settings) {
  CMutexLock hold(settingsLock_);
  settings_ = settings;
}

bool CEventServer::Start() {
  CEventApiPages::Register(*this);
  if (http_.StartServer(port_, "EventServer", GetCgiMapList(), 0, 0, this) == 0) {
    GATE_LOG(1, "ERROR - The event server cannot listen on port %hu (in use, invalid, or below 1024 without the "
                "privilege); the event API is not available.\r\n",
             port_);
    return false;
  }
  GATE_LOG(1, "INFO - The event server listens on port %hu.\r\n", http_.GetPort());
  return true;
}

void CEventServer::Shutdown() {
  ClearCgiHandlers();
  http_.StopServer();
  CMutexLock hold(settingsLock_);
  settings_.pollingStatusType = 1;
  publisher_.reset();
}

void CEventServer::SetAIEventPublisher(std::shared_ptr<CAIEventPublisher> publisher) {
  CMutexLock hold(settingsLock_);
  publisher_ = std::move(publisher);
}

std::shared_ptr<CAIEventPublisher> CEventServer::GetAIEventPublisher() const {
  CMutexLock hold(settingsLock_);
  return publisher_;
}

CEventServerSettings CEventServer::GetSettings() const {
  CMutexLock hold(settingsLock_);
  return settings_;
}

void CEventServer::RegisterCgi(const std::string& category, const std::string& page, CEventPageHandler handler) {
  CMutexLock hold(registryLock_);
  registry_[category][page] = handler;
}

CEventPageHandler CEventServer::FindCgiHandler(const std::string& category, const std::string& page) const {
  CMutexLock hold(registryLock_);
  auto pages = registry_.find(category);
  if (pages == registry_.end()) return nullptr;
  auto entry = pages->second.find(page);
  return entry == pages->second.end() ? nullptr : entry->second;
}

void CEventServer::ClearCgiHandlers() {
  CMutexLock hold(registryLock_);
  registry_.clear();
}

std::vector<CCgiMap> CEventServer::GetCgiMapList() const {
  CMutexLock hold(registryLock_);
  std::vector<CCgiMap> list;
  for (const auto& [category, pages] : registry_) {
    for (const auto& [page, handler] : pages) list.push_back({category, page, &CEventServer::OnCgiRequest, 0});
  }
  return list;
}

int CEventServer::OnCgiRequest(SOCKET socket, const std::string& clientAddress, unsigned short port,
                               const std::string& header, const std::string& category, const std::string& cgi,
                               const std::string& query, const std::string& body, void* context) {
  auto* server = static_cast<CEventServer*>(context);
  CEventPageHandler handler = server->FindCgiHandler(category, cgi);
  if (handler == nullptr) return 0;
  CCgiRequest request{socket, clientAddress, port, header, category, cgi, query, body};
  return handler(*server, request, ParseQuery(query));
}

CTokenList CEventServer::ParseQuery(const std::string& query) {
  CStrList pieces;
  pieces.Split(query, "&");
  return CTokenList(pieces, "=");
}

void CEventServer::RefreshUserTable(IDataStore& store) {
  auto now = std::chrono::steady_clock::now();
  CMutexLock hold(userTableLock_);
  if (userTableSeen_ && now - userTableLoaded_ < std::chrono::seconds(userTableMaxAgeSec_.load())) return;
  if (userTableSeen_) store.UnloadEntityList(kUserTable);
  userTableSeen_ = true;
  userTableLoaded_ = now;
}

bool CEventServer::CheckLogin(const CTokenList& parameters) {
  CEventServerStore source = storeSource_ ? storeSource_() : CEventServerStore{};
  if (source.store == nullptr || !source.store->IsConnected(0)) {
    GATE_LOG(1, "ERROR - The databsase connection has not established..");
    return false;
  }
  const std::string& id = parameters.GetValue("id");
  const std::string& password = parameters.GetValue("password");
  if (id.empty() || password.empty()) {
    GATE_LOG(1, "ERROR - Invalid input parameters for authentication\r\n");
    return false;
  }
  RefreshUserTable(*source.store);
  for (const auto& [no, row] : source.store->GetCachedEntityList(kUserTable)) {
    auto* user = dynamic_cast<CTBLUser*>(row.get());
    // A soft-deleted account does not log in, nor does it hide a live one of the same id.
    if (user == nullptr || user->GetIsDeleted() || user->GetId() != id) continue;
    std::string digest = Sha256Hex(user->GetPasswordText(source.passwordEncrypted));
    return digest.size() == password.size() && strcasecmp(digest.c_str(), password.c_str()) == 0;
  }
  return false;
}

int CEventServer::SendJsonResponse(SOCKET socket, int code, const std::string& utf8Body) {
  std::string reply = "HTTP/1.1 " + CHttpReply(code).GetStatusLine() +
                      "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
                      std::to_string(utf8Body.size()) + "\r\n\r\n" + utf8Body;
  return sock::SendAll(socket, reply.data(), static_cast<int>(reply.size()), kSendTimeoutMs);
}

int CEventServer::SendEmptyResponse(SOCKET socket, int code) {
  std::string reply = "HTTP/1.1 " + CHttpReply(code).GetStatusLine() + "\r\n\r\n";
  return sock::SendAll(socket, reply.data(), static_cast<int>(reply.size()), kSendTimeoutMs);
}

int CEventServer::ReadPasswordEncrypted(IDataService* service) {
  if (service == nullptr) return 0;
  CSqlWhereClause clause;
  clause.AddFormat(0, 0, "`Category` = %d", 1);
  clause.AddFormat(0, 0, "`Key` = '%s'", "PasswordEncrypted");
  EntityPtr row = service->FindEntity("TBL_SystemSettings", clause.ToString().c_str());
  auto* setting = dynamic_cast<CTBLSystemSetting*>(row.get());
  return setting == nullptr ? 0 : SettingTextToLong(setting->GetValue());
}
