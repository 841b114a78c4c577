// CEventServer: the HTTP API that outside systems poll for as long as the main
// window exists, whether or not the job services run. It sits on CHttpServer
// (worker cap, body cap, idle and hostile clients are handled there) and adds
// a registry of page handlers by category and page name, one dispatcher that
// turns a request into a CCgiRequest and a parameter map, the login rule
// shared by every page (a TBL_User id and the SHA-256 digest of its password)
// and the two reply forms: a JSON reply and a reply of only a status line.
// Each connection carries one request and one reply.
//
// Locks (leaves, never held while calling out): registryLock_ guards the
// handler registry; settingsLock_ guards the settings and the AI event
// publisher, which pages read as a copy (a page may still run while the
// server shuts down); userTableLock_ guards the user table's load time.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TokenList.h"
#include "net/HttpServer.h"
#include "platform/Mutex.h"
#include "shell/EventServer.h"

class CAIEventPublisher;
class IDataService;
class IDataStore;

// The request a page answers. Lives for one page call.
struct CCgiRequest {
  SOCKET socket = INVALID_SOCKET;  // the page writes its reply here
  std::string clientAddress;       // first X-Forwarded-For value, else the peer address
  unsigned short clientPort = 0;
  std::string header;              // the request's header text
  std::string category;            // lower case
  std::string page;                // lower case
  std::string query;               // the text after "?", not decoded
  std::string body;                // not read by the pages
};

// The store the logins and pages read, with the installation's
// PasswordEncrypted switch (TBL_SystemSettings category 1).
struct CEventServerStore {
  std::shared_ptr<IDataStore> store;  // null: no store (every login is refused)
  bool passwordEncrypted = false;
};
// Called by every login and page on worker threads, several at once; must be
// safe for that (the application builds its shared store once).
using CEventStoreSource = std::function<CEventServerStore()>;

class CEventServer;
// A page: sends its whole reply on request.socket and returns 0 (the worker
// then closes the connection).
using CEventPageHandler = int (*)(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters);

class CEventServer : public IEventServer {
 public:
  static constexpr int kSendTimeoutMs = 10000;
  // How long the user table is served from the store's cache before a login
  // reads it again, so that removed users and changed passwords take effect.
  static constexpr int kUserTableMaxAgeSec = 5;

  // `port`: where to listen (0: the kernel picks, see GetPort).
  CEventServer(unsigned short port, CEventStoreSource storeSource);
  // Performs Shutdown.
  ~CEventServer() override;
  CEventServer(const CEventServer&) = delete;
  CEventServer& operator=(const CEventServer&) = delete;

  // ---- IEventServer ----
  // Takes the prefixes and the status type. Takes settingsLock_.
  void Configure(const CEventServerSettings& settings) override;
  // Registers the three "va" pages and starts listening. False, with an
  // ERROR line naming the port, when the port cannot be bound.
  bool Start() override;
  // Drops the handlers, stops the HTTP server (its threads end within about
  // 5 s in all; a page still waiting on the database then finishes on its
  // own, its connection already shut), resets the status type to 1 and
  // forgets the publisher. Safe to call again.
  void Shutdown() override;

  // The source of the active and last events for event_status (null: that
  // page answers 500). Takes settingsLock_.
  void SetAIEventPublisher(std::shared_ptr<CAIEventPublisher> publisher);
  std::shared_ptr<CAIEventPublisher> GetAIEventPublisher() const;
  // A copy of the settings. Takes settingsLock_.
  CEventServerSettings GetSettings() const;
  // The user table's maximum age in seconds (0: read on every login).
  void SetUserTableMaxAge(int seconds) { userTableMaxAgeSec_ = seconds; }

  // The listening port, 0 when not listening.
  unsigned short GetPort() const { return http_.GetPort(); }
  CHttpServer& GetHttpServer() { return http_; }
  // The store of the logins and pages (calls the source).
  CEventServerStore GetStore() const { return storeSource_(); }

  // ---- handler registry (each takes registryLock_) ----
  // Sets registry[category][page], replacing an earlier entry.
  void RegisterCgi(const std::string& category, const std::string& page, CEventPageHandler handler);
  // The handler, null when the category or page is not registered (exact names).
  CEventPageHandler FindCgiHandler(const std::string& category, const std::string& page) const;
  void ClearCgiHandlers();
  // One CCgiMap per registered page (categories, then pages ascending), each
  // routed to OnCgiRequest without HTTP authentication.
  std::vector<CCgiMap> GetCgiMapList() const;

  // The HTTP server's handler of every page; `context` is the event server.
  // Without a registered handler returns 0 having written nothing.
  static int OnCgiRequest(SOCKET socket, const std::string& clientAddress, unsigned short port,
                          const std::string& header, const std::string& category, const std::string& cgi,
                          const std::string& query, const std::string& body, void* context);

  // The parameter map of a query: pieces between "&", each split at "=" into
  // non-empty tokens (name, value; further tokens ignored; a piece of only
  // "=" dropped). Not decoded; a later name wins.
  static CTokenList ParseQuery(const std::string& query);
  // True when parameters "id" and "password" name a TBL_User row (the lowest
  // `no` of that id among rows not soft-deleted) whose password's SHA-256
  // hex digest equals "password" in either letter case. Logs why when the
  // database is not connected or a parameter is empty. Blocks on the database
  // when the user table is (re)read.
  bool CheckLogin(const CTokenList& parameters);

  // "HTTP/1.1 <code> <reason>", the JSON content type, Content-Length and
  // `utf8Body`, as one buffer within kSendTimeoutMs. Bytes sent or -1.
  static int SendJsonResponse(SOCKET socket, int code, const std::string& utf8Body);
  // "HTTP/1.1 <code> <reason>\r\n\r\n" only. Bytes sent or -1.
  static int SendEmptyResponse(SOCKET socket, int code);

  // The PasswordEncrypted system setting (category 1) read through `service`;
  // 0 when the row or the service is missing.
  static int ReadPasswordEncrypted(IDataService* service);

 private:
  // Drops the store's cached user table when it is older than the maximum age.
  void RefreshUserTable(IDataStore& store);

  const unsigned short port_;
  const CEventStoreSource storeSource_;

  mutable CMutex registryLock_;
  std::map<std::string, std::map<std::string, CEventPageHandler>> registry_ GUARDED_BY(registryLock_);

  mutable CMutex settingsLock_;
  CEventServerSettings settings_ GUARDED_BY(settingsLock_);
  std::shared_ptr<CAIEventPublisher> publisher_ GUARDED_BY(settingsLock_);

  std::atomic<int> userTableMaxAgeSec_{kUserTableMaxAgeSec};
  CMutex userTableLock_;
  std::chrono::steady_clock::time_point userTableLoaded_ GUARDED_BY(userTableLock_){};
  bool userTableSeen_ GUARDED_BY(userTableLock_) = false;

  // Last, so that it goes first: its destructor joins a worker still inside a
  // page (one that outlived Shutdown's wait) while the members the page reads
  // are still there.
  CHttpServer http_;
};
