// A fake recording server on a loopback port the kernel chose. It keeps the
// raw bytes of every request and answers by path, one thread per connection:
//   GET  /system/information.cgi  the scripted reply, then closes;
//   POST /stream/event.cgi and GET /record/storage.cgi  the stream header,
//        then the scripted parts ("--1234567890", Content-Type, Content-Length,
//        empty line, body, CR LF) `partIntervalMs` apart, repeated while
//        `repeatParts` is set, then `tail` (raw bytes), then it closes or
//        stays silent until the client closes.
// Every request line reaches `onRequest` (when set) as it arrives.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeRecordingServer {
 public:
  struct Script {
    std::string systemInformation =
        "HTTP/1.1 200 OK\r\nContent-Length: 109\r\n\r\n"
        "<System><Information><Version>3.2.1</Version><MAC>AA</MAC><OS>Windows Server 2019</OS>"
        "</Information></System>";
    std::string streamHeader =
        "HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=1234567890\r\n\r\n";
    std::vector<std::string> parts;
    int partIntervalMs = 50;
    bool repeatParts = false;
    std::string tail;
    bool closeAfter = false;
  };

  explicit FakeRecordingServer(Script script);
  // Stops accepting, wakes and joins every connection thread.
  ~FakeRecordingServer();
  FakeRecordingServer(const FakeRecordingServer&) = delete;
  FakeRecordingServer& operator=(const FakeRecordingServer&) = delete;

  unsigned short port() const { return port_; }
  // Raw request texts (header and body) in arrival order.
  std::vector<std::string> Requests() const;
  // How many stream requests arrived.
  int StreamRequests() const;
  void SetOnRequest(std::function<void(const std::string& requestLine)> onRequest);

  // One multipart part as the server frames it.
  static std::string Part(const std::string& body);

 private:
  void Accept();
  void Serve(int fd);
  bool SendAll(int fd, const std::string& bytes);
  bool Pause(int fd, int ms);  // false when the client closed or the fake ends

  Script script_;
  int listener_ = -1;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;   // guarded by mutex_
  std::vector<int> connections_;        // guarded by mutex_
  std::function<void(const std::string&)> onRequest_;  // guarded by mutex_
  std::vector<std::thread> threads_;    // guarded by mutex_
  std::thread acceptor_;
};

// An HTTP reply of `status` with a sized body.
inline std::string HttpReply(int status, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}
