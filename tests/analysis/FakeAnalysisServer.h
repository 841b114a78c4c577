// A fake analysis server that speaks the metadata stream's wire form, for the
// metadata client tests and nothing else: it listens on a loopback port the
// kernel chooses, reads each stream request (header block, then
// Content-Length bytes with the trailing CR LF CR LF stripped), and lets a
// test script each connection: the 200 reply, multipart parts
// ("--1234567890\r\nContent-Length: N\r\n\r\n<json>\r\n"), raw bytes, silence,
// a close. It runs plain or TLS (a self-signed certificate made with openssl).
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// One request as the client sent it.
struct FakeRequest {
  std::string requestLine;  // "POST /stream/meta.cgi HTTP/1.1"
  std::string header;       // the whole header block
  std::string body;         // Content-Length bytes without the trailing CR LF CR LF
  // The value of header field `name` (exact spelling), "" when absent.
  std::string Field(const std::string& name) const;
};

class FakeAnalysisServer;

// One accepted connection, driven by the test's session function on a thread
// of its own. Every wait ends when the server stops.
class FakeConnection {
 public:
  FakeConnection(FakeAnalysisServer* server, int fd, SSL* ssl) : server_(server), fd_(fd), ssl_(ssl) {}
  ~FakeConnection();

  // Reads one request within `waitMs`; false when the client closed first.
  bool ReadRequest(FakeRequest* request, int waitMs = 10000);
  bool Send(std::string_view bytes);
  bool SendOk() { return Send("HTTP/1.1 200 OK\r\n\r\n"); }
  bool SendPart(std::string_view json);
  // Waits until the client closes the connection (true), or `waitMs` passes
  // or the server stops (false). Bytes the client sends meanwhile are dropped.
  bool WaitClosed(int waitMs);
  // Keeps the connection open and silent until the server stops.
  void Hold() { WaitClosed(24 * 3600 * 1000); }
  void Close();
  bool Stopping() const;

 private:
  // One read of at most `size` bytes within `waitMs`: bytes read, 0 on
  // time-out or stop, -1 when the client closed or on an error.
  int Read(char* buffer, int size, int waitMs);

  FakeAnalysisServer* server_;
  int fd_;
  SSL* ssl_;
  std::string unread_;
};

class FakeAnalysisServer {
 public:
  using Session = std::function<void(FakeConnection&, int index)>;

  // Starts listening; `session` runs for every accepted connection with its
  // 0-based index. With `certFolder` set the server speaks TLS with the
  // cert.pem and key.pem found there (MakeCertificate).
  explicit FakeAnalysisServer(Session session, const std::string& certFolder = std::string());
  // Stop.
  ~FakeAnalysisServer();
  FakeAnalysisServer(const FakeAnalysisServer&) = delete;
  FakeAnalysisServer& operator=(const FakeAnalysisServer&) = delete;

  unsigned short port() const { return port_; }
  int Accepted() const { return accepted_.load(); }
  // Every request read so far, in order.
  std::vector<FakeRequest> Requests();
  // Closes the listener and every connection and joins every thread.
  void Stop();
  bool Stopping() const { return stopping_.load(); }

  // Writes cert.pem and key.pem (self-signed, CN=localhost) into `folder`.
  static bool MakeCertificate(const std::string& folder);

 private:
  friend class FakeConnection;
  void AcceptLoop();
  void Record(const FakeRequest& request);

  Session session_;
  SSL_CTX* ctx_ = nullptr;
  int listener_ = -1;
  unsigned short port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> accepted_{0};
  std::thread acceptThread_;
  std::mutex lock_;  // guards sessions_, fds_ and requests_
  std::vector<std::thread> sessions_;
  std::vector<int> fds_;
  std::vector<FakeRequest> requests_;
};

// "--1234567890\r\nContent-Length: N\r\n\r\n<json>\r\n".
std::string FakePart(std::string_view json);
