// CHttpServer: the embedded HTTP server. Its own thread accepts connections
// and hands each to an idle worker thread; the worker reads one request (header
// and body), splits its path into a category and a CGI name (both lower-cased),
// optionally checks HTTP Digest credentials, and calls the handler registered
// for that pair, which writes its own reply on the socket. Paths it does not
// serve get the raw banner "Welcome to ORVU!!!\r\n\r\n".
//
// A connection reaches a worker only once its whole request header has
// arrived: until then the accept thread watches it (CHeaderWaitSet), so idle
// or slowly dripping clients hold no thread. Workers start 10 at a time (10
// more whenever a ready connection finds none idle), up to kMaxWorkers;
// connections beyond that wait in a bounded queue for the next free worker,
// and past it are closed. StopServer wakes every thread (sockets are shut
// down, not closed under a reader) and waits for them.
//
// Request bodies: a request with ambiguous framing gets 400, a body above
// kMaxRequestBody (announced, or counted as its chunks arrive) gets 413, and
// both are closed; "Expect: 100-continue" is answered before the body is read.
#pragma once

#include <stdint.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/Lock.h"
#include "foundation/Thread.h"
#include "net/HeaderWaitSet.h"
#include "net/Sock.h"

// A CGI handler: writes its reply on `socket`. `clientAddress` is the first
// X-Forwarded-For entry or the peer address; `header` the raw request header
// block; `category` and `cgi` lower-cased; `query` the text after "?" (with
// credentials appended after a Digest login); `body` the request body.
// Returns 0 when done with the socket (the worker closes it), any other value
// when it keeps the socket (it closes it itself). Runs on worker threads,
// several at once.
using CgiHandler = int (*)(SOCKET socket, const std::string& clientAddress, unsigned short port,
                           const std::string& header, const std::string& category, const std::string& cgi,
                           const std::string& query, const std::string& body, void* context);

// One registration for StartServer. Names must be lower case to be reachable.
struct CCgiMap {
  std::string category;
  std::string cgi;
  CgiHandler handler = nullptr;
  int flags = 0;  // non-zero: the CGI requires Digest authentication
};

class CHttpServer : public CThread {
 public:
  static constexpr int kWorkerStep = 10;           // workers added at a time
  static constexpr int kMaxWorkers = 256;          // most workers the pool grows to
  static constexpr int kMaxQueued = 256;           // connections waiting for a worker
  static constexpr int kMaxHeaderWaits = 8192;     // connections whose header is still arriving
  static constexpr int kRequestTimeoutSec = 60;    // wait for a request's whole header, or its body
  static constexpr int kMaxRequestBody = 16 * 1024 * 1024;
  static constexpr int kNonceLifetimeSec = 300;    // a Digest nonce is accepted this long after its challenge
  static constexpr int kMaxIssuedNonces = 16384;   // nonces remembered at once (the oldest go first)
  static constexpr int kStopWaitSec = 5;           // StopServer's whole wait for its threads

  // The parsed Authorization header of a Digest login.
  struct DIGESTINFO {
    std::string method;     // request method text, set at verification
    std::string algorithm;  // "md5" when absent
    std::string username;
    std::string realm;
    std::string password;   // from the authentication callback, set at verification
    std::string nonce;
    std::string uri;
    std::string qop;
    unsigned nc = 0;        // the nonce count (hexadecimal on the wire)
    std::string ncText;     // the nonce count as sent, used in the digest
    std::string cnonce;
    std::string response;
    std::string opaque;
  };

  // The record given to the authentication callback. Event 0 (password
  // wanted): `data` is the user name (const std::string*), `value` the
  // password to fill in (std::string*); the callback sets `userKnown` to
  // non-zero when it knows the user (whose password may be empty): a user it
  // does not know never authenticates. Event 1 (verification failed): `data`
  // is an int flag, 0 on entry; setting it lets the request through with a
  // password that does not match.
  struct AUTHEVENT {
    SOCKET socket;
    std::string category;
    std::string cgi;
    void* data;
    void* value;
    void* context;
    int userKnown = 0;
  };
  using AuthCallback = void (*)(int event, AUTHEVENT* record);
  // When set, a connection is served only when it returns non-zero.
  using AcceptFilter = int (*)(SOCKET socket, const std::string& address, unsigned short port);

  CHttpServer();
  // Stops the server and waits for its threads.
  ~CHttpServer() override;

  // Builds the routing table from `cgis`, opens the listening socket on `port`
  // (0: the kernel picks; see GetPort) and starts the accept thread with 10
  // workers. Returns 1, or 0 (logged, nothing left running) when the port
  // cannot be opened or a thread cannot start.
  int StartServer(unsigned short port, const std::string& label, const std::vector<CCgiMap>& cgis, int reserved1,
                  int reserved2, void* context);
  // Stops every thread and waits for them, `waitSeconds` in all (default
  // kStopWaitSec), returning as soon as they have ended; frees the routing
  // table. A worker still inside a handler at the end of the wait is left to
  // finish it (a handler's reads and writes on its connection already fail)
  // and is joined by a later StopServer, StartServer or the destructor.
  void StopServer(int waitSeconds = kStopWaitSec);

  // Asks the accept thread and every worker to stop, waking them. Does not wait.
  void Stop() override;
  // Waits up to `seconds` in all for the workers (those of an earlier stop
  // too) and the accept thread, then closes the listening socket. True when
  // every thread has ended.
  bool Wait(int seconds) override;
  // Workers that outlived a stop's wait (still in a handler), not yet joined.
  int GetLingeringWorkerCount();

  // The listening port (the kernel's choice when started with 0), 0 when not listening.
  unsigned short GetPort() const;
  // Workers that exist now (idle and busy), under the lock.
  int GetWorkerCount();
  // The address to listen on, network order (every local address by default);
  // set before StartServer.
  void SetBindAddress(uint32_t address) { bindAddress_ = address; }

  // `<?xml ...?>` declaration (unless the body brings one), a header with the
  // status line, WWW-Authenticate and "Content-Type: text/xml; charset=euc-kr",
  // and the body, sent within 10 s. Returns the bytes sent or -1.
  static int SendResponse(SOCKET socket, const std::string& statusLine, const std::string& authenticate,
                          const std::string& body);
  // A fresh nonce (Base64 of "%10d%08d": time and a random number) and its opaque ("%08d").
  static void MakeNonce(std::string* nonce, std::string* opaque);
  // Sends the 401 reply with a SHA-256 Digest challenge for realm "ZMS" and
  // records its nonce as issued. Takes noncesLock_.
  void SendDigestChallenge(SOCKET socket);
  // Reads a Digest Authorization value into `record`. False when it is no
  // Digest value, is malformed, lacks username, realm, nonce, uri or response,
  // or holds an over-long value.
  static bool ParseDigestAuthorization(const std::string& text, DIGESTINFO* record);
  // True when the record's response is the one `password` gives for `method`.
  static bool CheckDigestResponse(DIGESTINFO* record, const std::string& method, const std::string& password);

  // Settings the owner may change at any time, also while the server runs
  // (StartServer clears the filter).
  std::atomic<AcceptFilter> acceptFilter{nullptr};
  std::atomic<AuthCallback> authCallback{nullptr};
  std::atomic<void*> authContext{nullptr};
  std::atomic<int> credentialsMode{1};  // 0: no CGI asks for credentials (copied into workers when made)
  std::atomic<int> requestLog{1};       // non-zero: every routed request is logged
  std::atomic<int> nonceLifetimeSec{kNonceLifetimeSec};  // how long a challenge's nonce is accepted
  // Longest wait for a request's whole header (from its accept), and for its
  // body (plus 1 s for every 64 KiB announced).
  std::atomic<int> requestTimeoutSec{kRequestTimeoutSec};

 protected:
  bool DoJob() override;
  // Closes the connections whose header was still arriving.
  void OnExitInstance() override;

 private:
  class CWorkerThread;
  struct CGIHANDLER {
    int flags = 0;
    CgiHandler handler = nullptr;
  };
  using CCategory = std::unordered_map<std::string, CGIHANDLER>;

  // Creates and starts up to kWorkerStep workers into the idle list.
  void AddWorkers() REQUIRES(lock_);
  // Moves a finished worker from busy to idle, or hands it the next queued
  // connection (it stays busy). Returns 1 when the worker was busy.
  int ReleaseWorker(CWorkerThread* worker);
  // Hands a connection whose header has arrived to a worker, queues or closes it.
  void Dispatch(SOCKET socket, const std::string& address, unsigned short port);
  // Accepts the connections waiting on the listening socket into the header wait.
  void AcceptPending();
  // Reads the body that the header announces into `body`. False after
  // answering 400 (ambiguous framing) or 413 (too large), or when the body
  // did not arrive: the connection is then closed.
  bool ReadBody(SOCKET socket, const std::string& header, const std::string& peerAddress, std::string* body);
  // Calls the authentication callback when one is set.
  void NotifyAuthEvent(int event, SOCKET socket, const std::string& category, const std::string& cgi, void* data,
                       void* value);
  // True when a protected CGI must see Digest credentials: the credentials
  // mode is on and the query does not name both an "id" and a "password"
  // parameter (those the handler checks itself).
  bool NeedsDigestAuth(int workerMode, const std::string& query) const;
  // The Digest step of a protected request for `target` (the request target
  // as received). Returns false after sending the challenge; true to go on to
  // the handler (query or body may gain credentials).
  bool Authenticate(SOCKET socket, int workerMode, const std::string& category, const std::string& cgi,
                    int method, const std::string& target, const std::string& authorization, std::string* query,
                    std::string* body);
  // Accepts nonce count `nc` for `nonce`: true when this server issued the
  // nonce within nonceLifetimeSec and `nc` is above every count accepted for
  // it before (the count is then recorded). Takes noncesLock_.
  bool UseNonce(const std::string& nonce, unsigned nc);
  void ResetState();
  // Joins the lingering workers that have ended since. Takes lock_.
  void ReapLingering();

  struct Pending {
    SOCKET socket;
    std::string address;
    unsigned short port;
  };

  SOCKET listenSocket_ = INVALID_SOCKET;  // written before the accept thread starts and after it ended
  unsigned short port_ = 0;
  uint32_t bindAddress_ = 0;
  int acceptWaitMs_ = 1000;
  void* context_ = nullptr;
  std::string label_;
  std::map<std::string, CCategory> categories_;  // fixed from StartServer to StopServer; read without a lock

  // Owned by the accept thread while it runs (made by StartServer, dropped by Wait).
  std::unique_ptr<CHeaderWaitSet> headerWait_;

  // The Digest nonces issued and not yet expired, with the highest nonce
  // count accepted for each (0: none yet).
  struct IssuedNonce {
    std::chrono::steady_clock::time_point issued;
    unsigned lastCount = 0;
  };
  CMutex noncesLock_;
  std::unordered_map<std::string, IssuedNonce> nonces_ GUARDED_BY(noncesLock_);
  std::deque<std::string> nonceOrder_ GUARDED_BY(noncesLock_);  // issue order

  using WorkerList = std::list<std::unique_ptr<CWorkerThread>>;
  CLock lock_;
  WorkerList idle_ GUARDED_BY(lock_);
  WorkerList busy_ GUARDED_BY(lock_);
  std::deque<Pending> queued_ GUARDED_BY(lock_);
  WorkerList lingering_ GUARDED_BY(lock_);  // workers that outlived the stop wait (still in a handler)
};
