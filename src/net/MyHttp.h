// CMyHttp: the HTTP/1.1 client behind every outgoing request, and the readers
// of HTTP replies (header block, sized, chunked and multipart bodies) that the
// client, the server and the stream clients share.
//
// One object holds one connection at a time, plain or TLS, guarded by its lock;
// a request writes the request text (within the request's time-out), reads the
// reply header and a sized or chunked body, and hands the caller the reply as
// one text: the header block followed by the body up to its first zero byte.
// Authentication is Basic (an extra header line), Digest (one challenge
// answered, one retry) or credentials in the query string.
//
// Reader buffers are caller-owned byte vectors: the vector's size is the
// buffer's capacity, the data is followed by a zero byte, and a reader enlarges
// the vector when it is too small. Reader time-outs are seconds per wait.
#pragma once

#include <string>
#include <vector>

#include "foundation/Lock.h"
#include "net/DigestAuth.h"
#include "net/SecureSock.h"

class CThread;

class CMyHttp {
 public:
  // Largest header block (including the empty line) the readers accept, + 1.
  static constexpr int kHeaderArea = 4096;
  // Largest body the readers accept (sized or chunked), in bytes.
  static constexpr int kMaxBodySize = 64 * 1024 * 1024;

  CMyHttp() = default;
  // Disconnects.
  virtual ~CMyHttp();
  CMyHttp(const CMyHttp&) = delete;
  CMyHttp& operator=(const CMyHttp&) = delete;

  // ---- the client (every member takes the object's lock) ----

  // Connects to host:port (TLS when `tls` is non-zero), replacing any earlier
  // connection; connect and handshake end within `timeoutSec`. Returns 1 or 0.
  int Connect(const std::string& host, unsigned short port, int timeoutSec, int tls);
  // Ends TLS and closes the connection.
  void Disconnect();
  // From any thread, without the lock: ends a pending connect, write or read
  // at once (CSecureSock::Stop) and makes later connects of this object fail.
  // The owner still disconnects. Never blocks.
  void Abort();
  // True when the connection can be used.
  bool IsConnected();
  // Writes `data` within `timeoutSec`. Returns the bytes written (fewer at the
  // deadline), -1 when not connected or on error.
  int Send(const char* data, int length, int timeoutSec);

  // GET `uri`; `extraHeader` is one or more lines ending with "\r\n" (or null).
  // Returns 1 when a reply was read (`reply` holds it, whatever its status),
  // 0 on failure (`reply` holds what was read: nothing, or the header).
  int RequestUri(const std::string& uri, std::string* reply, int timeoutSec, const char* extraHeader = nullptr);
  // POST `body` (up to its first zero byte, followed by CR LF CR LF) to `uri`. As RequestUri.
  int PostUri(const std::string& uri, const std::string& body, std::string* reply, int timeoutSec,
              const char* extraHeader = nullptr);
  // GET with Digest: a 401 challenge is answered once on a new connection.
  // Returns 1 with the final reply, 0 on failure or a second challenge.
  int RequestUriUsingDigestAuth(const std::string& uri, const std::string& user, const std::string& password,
                                std::string* reply, int timeoutSec);
  // POST with Digest, as RequestUriUsingDigestAuth.
  int PostUriUsingDigestAuth(const std::string& uri, const std::string& user, const std::string& password,
                             const std::string& body, std::string* reply, int timeoutSec);

  // ---- requests on a stream client's own connection (no lock) ----

  // "Authorization: Basic <base64 of user:password>\r\n"; "" when both are empty.
  static std::string MakeBasicAuthHeader(const std::string& user, const std::string& password);
  // `uri` with "id=<user>&password=<password>" in its query (percent-encoded),
  // unchanged when its query already names both id and password.
  static std::string AppendCredentialQuery(const std::string& uri, const std::string& user,
                                           const std::string& password);
  // Writes a GET (or POST) on `conn` without reading the reply. A failed write
  // closes the connection. Returns 1 sent, 0 failed or not usable.
  static int SendGet(CSecureSock& conn, const std::string& host, const std::string& uri, int timeoutSec = 10);
  static int SendPost(CSecureSock& conn, const std::string& host, const std::string& uri, const std::string& body,
                      const char* extraHeader = nullptr, int timeoutSec = 10);
  // POST with Digest on `conn`: reads the first reply header; a challenge is
  // answered once on a new connection and that reply is left on the connection
  // for the caller, as is a first reply without challenge (its header consumed).
  // A stop (`conn.Stop()` from another thread, or `abort` answering true) ends
  // the wait for the first reply within about 100 ms and returns 0, with the
  // connection closed and nothing logged as an error.
  static int SendPostUsingDigestAuth(CSecureSock& conn, const std::string& host, unsigned short port,
                                     const std::string& user, const std::string& password, const std::string& uri,
                                     const std::string& body, int timeoutSec, SockAbortFunc abort = nullptr,
                                     void* abortUser = nullptr);

  // ---- Digest ----

  // True when `reply` is a 401 reply with a usable Digest challenge (`info` then holds it).
  static bool CheckDigestAuth(const std::string& reply, CDigestAuthInfo* info);
  // The Authorization line (ending with "\r\n") answering the challenge in
  // `info`. `body` is the request body, hashed for qop "auth-int".
  static std::string MakeDigestAuthHeader(CDigestAuthInfo* info, const std::string& method, const std::string& user,
                                          const std::string& password, const std::string& uri,
                                          const std::string& body = std::string());

  // ---- reply readers ----

  // The Content-Length of a header block (name matched without regard to
  // case), 0 when absent or not a number.
  static int GetContentLength(const std::string& header);
  // True when the header block's Transfer-Encoding ends in "chunked".
  static bool IsChunked(const std::string& header);

  // Reads the header block up to and including the empty line (shorter than
  // 4096 bytes) without consuming any byte after it. Returns its length, 0 on
  // failure (time-out, closed, too long, or the header stalled about 1 s).
  static int RecvHeader(SOCKET s, std::vector<char>* buffer, int* contentLength, int timeoutSec);
  static int RecvHeader(CSecureSock& conn, std::vector<char>* buffer, int* contentLength, int timeoutSec);
  // RecvHeader into a text. True when a header was read.
  static bool RecvHeaderText(SOCKET s, std::string* header, int* contentLength, int timeoutSec);
  static bool RecvHeaderText(CSecureSock& conn, std::string* header, int* contentLength, int timeoutSec);
  // RecvHeader that also gives up when `abort` answers true (asked after every read).
  static int RecvHeader2(CSecureSock& conn, std::vector<char>* buffer, int* contentLength, int timeoutSec,
                         SockAbortFunc abort, void* user);

  // Reads exactly `contentLength` bytes into `buffer` (enlarged when needed).
  // Returns 1, or 0 when a wait passes `timeoutSec`, the connection fails or
  // closes, or the length is above kMaxBodySize (logged).
  static int RecvBody(SOCKET s, std::vector<char>* buffer, int contentLength, int timeoutSec);
  static int RecvBody(CSecureSock& conn, std::vector<char>* buffer, int contentLength, int timeoutSec);
  // RecvBody appending the bytes to `text` (which keeps them all, zero bytes included).
  static int RecvBodyText(CSecureSock& conn, std::string* text, int contentLength, int timeoutSec);
  // RecvBody that also gives up when `abort` answers true.
  static int RecvBody2(CSecureSock& conn, std::vector<char>* buffer, int contentLength, int timeoutSec,
                       SockAbortFunc abort, void* user);

  // Reads a chunked body (extensions ignored, trailer left unread) into a new
  // `body` of the data plus a zero byte. Returns 1, or 0 when the body is
  // malformed, truncated, larger than kMaxBodySize or stalls.
  static int RecvBodyChunked(SOCKET s, std::vector<char>* body, int timeoutSec);
  static int RecvBodyChunked(CSecureSock& conn, std::vector<char>* body, int timeoutSec);
  static bool RecvBodyChunkedText(CSecureSock& conn, std::string* body, int timeoutSec);

  // Reads a request body into `body`: `contentLength` bytes, or a chunked
  // body when `chunked`. The body grows as its bytes arrive; the whole read
  // ends within `timeoutSec` plus 1 s for every 64 KiB announced. Returns 1
  // read, 0 failed (time-out, closed, malformed), -1 when it is above `limit`.
  static int RecvRequestBody(SOCKET s, int contentLength, bool chunked, int limit, int timeoutSec,
                             std::string* body);

  // Reads a reply's final header block, dropping interim 1xx replies; all of
  // it within `timeoutSec`. True when a final header was read.
  // `abort` (when given) is asked after every read and each empty second.
  static bool RecvFinalHeaderText(CSecureSock& conn, std::string* header, int* contentLength, int timeoutSec,
                                  SockAbortFunc abort = nullptr, void* user = nullptr);
  // Reads a whole reply into `reply`: the final header (as RecvFinalHeaderText),
  // then the sized or chunked body within `timeoutSec` plus 1 s for every
  // 64 KiB announced, so a peer that drips bytes cannot hold the caller longer.
  // The text ends at the body's first zero byte. Returns 1, or 0 with `reply`
  // holding what was read (nothing, or the header).
  static int RecvReplyText(CSecureSock& conn, std::string* reply, int timeoutSec);

  // Reads one part header of a multipart stream within about 1 s (8192-byte
  // buffer made when empty, enlarged to Content-Length + 1 with the header kept
  // at its start). Returns its length, 0 when no part came or `owner` stops.
  static int RecvPartHeader(CSecureSock& conn, std::vector<char>* buffer, int* contentLength, CThread* owner);
  // Reads a part body of `length` bytes within 3 s. Returns 1 or 0.
  static int RecvPartBody(CSecureSock& conn, std::vector<char>* buffer, int length, CThread* owner);

 private:
  // Reads the reply header and a sized or chunked body into `reply`.
  int ReadReply(std::string* reply, int timeoutSec) REQUIRES(lock_);
  // The Digest exchange of RequestUriUsingDigestAuth and PostUriUsingDigestAuth.
  int DigestExchange(const std::string& method, const std::string& uri, const std::string& user,
                     const std::string& password, const std::string* body, std::string* reply, int timeoutSec);

  CLock lock_;  // held for a whole request
  CSecureSock conn_ GUARDED_BY(lock_);
  std::string host_ GUARDED_BY(lock_);
  unsigned short port_ GUARDED_BY(lock_) = 80;
  int timeoutSec_ GUARDED_BY(lock_) = 5;
};

// One-shot GET: connects, requests `uri`, disconnects. 1 when the request succeeded.
int HttpGet(const std::string& host, unsigned short port, const std::string& uri, std::string* reply,
            int timeoutSec, int tls);
// One-shot POST of `body` to "/api/param.cgi" with 2-second time-outs, no TLS.
int PostApiParam(const std::string& host, unsigned short port, const std::string& body, std::string* reply);
