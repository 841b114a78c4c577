// CBIoTServiceAdapter: the client of the building-IoT platform's REST
// interface. A caller makes one for a piece of work (a synchronisation run,
// one event), fills in the connection settings, runs a sequence of
// operations over one kept-alive connection (plain or TLS) and drops it; the
// destructor closes the connection.
//
// Every operation returns 1 on success and 0 on failure and leaves its
// outcome in ErrorStatus (kBIoT* below); HttpStatusCode holds the refused
// status with outcomes 4 and 7. After a failed exchange (no connection, a
// short send, no complete reply) the connection is closed and the next
// request connects anew; after any reply it stays open.
//
// Not thread-safe: one thread uses an adapter at a time.
#pragma once

#include <string>
#include <vector>

#include "biot/BIoTEventData.h"
#include "biot/BIoTThings.h"
#include "net/SecureSock.h"

class CBIoTReply;

// ErrorStatus values.
enum : int {
  kBIoTOk = 0,
  kBIoTNoConnection = 1,   // no connection could be made (port 0 included)
  kBIoTSendFailed = 2,     // the request was not sent in full
  kBIoTNoReply = 3,        // no complete reply was read
  kBIoTHttpStatus = 4,     // HTTP status other than 200, in HttpStatusCode
  kBIoTNotJson = 5,        // the body is no JSON
  kBIoTKeyMissing = 6,     // a key the operation needs is absent (or of another type)
  kBIoTMessageStatus = 7,  // messageStatusCode other than 200, in HttpStatusCode
  kBIoTOtherThing = 8,     // the reply names another thing than the one requested
};

// The HTTP status with which the platform refuses an expired or unknown token.
constexpr int kBIoTTokenRefused = 401;

class CBIoTServiceAdapter {
 public:
  // Limits of one exchange: the connect (with the TLS handshake), the send
  // of the request, and the reading of the reply.
  static constexpr int kConnectTimeoutMs = 2000;
  static constexpr int kSendTimeoutMs = 10000;
  static constexpr int kReplyTimeoutSec = 10;

  // The connection settings, set by the user before the first request.
  struct CConnInfo {
    std::string host;       // also the Host header (never with the port)
    int port = 0;           // low 16 bits used
    std::string userID;
    std::string password;   // plain; only its SHA-256 goes out
    int tls = 0;
    std::string siteID;
    std::string userToken;  // sent in every Authorization header
  };

  // The settings of a platform URL: its host; its port, else 443 when its
  // scheme asks for TLS and 80 otherwise; TLS from the scheme alone.
  static CConnInfo ConnInfoFromUrl(const std::string& url, const std::string& userID, const std::string& password,
                                   const std::string& siteID);

  CBIoTServiceAdapter() = default;
  explicit CBIoTServiceAdapter(const CConnInfo& info) : info_(info) {}
  ~CBIoTServiceAdapter() { CloseConnection(); }
  CBIoTServiceAdapter(const CBIoTServiceAdapter&) = delete;
  CBIoTServiceAdapter& operator=(const CBIoTServiceAdapter&) = delete;

  CConnInfo& Info() { return info_; }
  const CConnInfo& Info() const { return info_; }

  int ErrorStatus = kBIoTOk;
  int HttpStatusCode = 0;

  // ---- transport ----
  // Opens the connection unless it is open; within kConnectTimeoutMs. 1 or 0.
  int RESTAPI_connect();
  // True when the socket is open and, in TLS mode, the TLS state exists.
  bool IsConnected() const;
  // Ends TLS and closes the socket (nothing when closed).
  void CloseConnection();
  // One request with its reply (header and body as received) in `reply`; 1
  // when a reply was read. On failure ErrorStatus is 1, 2 or 3; on success it
  // is left as it was. `headers` is a block of lines each ending "\r\n".
  int RESTAPI_get(const std::string& path, const std::string& headers, std::string* reply);
  int RESTAPI_post(const std::string& path, const std::string& headers, const std::string& body,
                   std::string* reply);
  int RESTAPI_delete(const std::string& path, const std::string& headers, std::string* reply);
  // Reads one reply on the open connection, within kReplyTimeoutSec per read
  // (sized body, or chunked when the header says so in any letter case). 1 or 0.
  int RecvResponse(std::string* reply);

  // ---- account and thing operations (1 success, 0 failure) ----
  // Logs in with the user ID and the SHA-256 of the password; succeeds on any
  // 200 JSON reply, reading the keys that are there.
  int GetUserLoginToken(CBIoTLoginResult* result);
  int GetVideoGatewayAuthToken(const std::string& thingName, std::string* authCode);
  // Appends the names that begin "VIDEO_GW." (case-sensitive).
  int GetVideoGatewayList(std::vector<std::string>* names);
  int AddVideoGateway(const CBIoTGatewayThing& thing);
  int SetVideoGatewayAttr(const CBIoTGatewayThing& thing);
  int DeleteVideoGateway(const std::string& thingName);
  // Deletes each in order; stops at the first failure.
  int DeleteVideoGateway(const std::vector<std::string>& thingNames);
  // Appends the thingName of every object of "things"; no "things": none.
  int GetVideoGatewayEdges(const std::string& gatewayName, std::vector<std::string>* edgeNames);
  int AddVideoGatewayEdge(const CBIoTEdgeThing& thing);
  int SetVideoGatewayEdgeAttr(const CBIoTEdgeThing& thing);
  int DeleteVideoGatewayEdge(const std::string& gatewayName, const std::string& edgeName);
  // Deletes each in order; stops at the first failure.
  int DeleteVideoGatewayEdges(const std::string& gatewayName, const std::vector<std::string>& edgeNames);

  // ---- event messages (to "/v1.0/attrs") ----
  // The thing token of a gateway against its auth code. An empty token in
  // the reply counts as absent (6).
  int GetThingAuthToken(const std::string& gatewayName, const std::string& authCode, std::string* token);
  int NotifyEvent(const CBIoTNotifyEventInfo& info);

  // Body texts (legacy code page, values JSON-escaped), for the tests and the benchmark.
  static std::string MakeThingAuthTokenBody(const std::string& siteID, const std::string& gatewayName,
                                            const std::string& authCode);
  static std::string MakeNotifyEventBody(const CBIoTNotifyEventInfo& info);

 private:
  int Request(const char* method, const std::string& path, const std::string& headers, const std::string* body,
              std::string* reply);
  // Request + evaluation: 1 with `parsed` holding a 200 JSON reply; else 0
  // with ErrorStatus set (the failed exchange logged under `failLine`).
  int Exchange(const char* method, const std::string& path, const std::string& headers, const std::string* body,
               CBIoTReply* parsed);
  // The messageStatusCode rule: 1 when it is 200; else 6 or 7.
  int CheckMessageStatus(const CBIoTReply& parsed);
  // The thingName rule of the add operations: 1 when it names `thingName` (any letter case).
  int CheckThingName(const CBIoTReply& parsed, const std::string& thingName, const char* failFormat);

  std::string PlainHeaders() const;
  std::string BodyHeaders() const;

  CConnInfo info_;
  CSecureSock conn_;
};
