// A fake Hitron NVR on a loopback port the kernel chose. It accepts one
// connection and plays a script: for each step it reads exactly the step's
// number of request bytes (kept for the test to compare), then sends the
// step's reply bytes and, when the step says so, closes the connection. After
// the last step it stays silent until the client closes or the fake ends.
#pragma once

#include <stdint.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeHitronNvr {
 public:
  struct Step {
    size_t requestBytes;     // bytes read before replying
    std::string reply;       // sent whole (may be a part of a packet)
    bool closeAfter = false;  // close the connection after the reply
  };

  explicit FakeHitronNvr(std::vector<Step> script);
  // Wakes and joins the serving thread; closes every socket it holds.
  ~FakeHitronNvr();
  FakeHitronNvr(const FakeHitronNvr&) = delete;
  FakeHitronNvr& operator=(const FakeHitronNvr&) = delete;

  unsigned short port() const { return port_; }
  // The request bytes read for each step so far (shorter when the client sent less).
  std::vector<std::string> Requests() const;

  // Little-endian reply framing: a 36-byte header of `type` and the payload
  // length (the other words zero), then the payload.
  static std::string Reply(uint32_t type, const std::string& payload);
  static std::string Reply(uint32_t type, uint32_t announcedLength, const std::string& payload);

 private:
  void Serve();

  std::vector<Step> script_;
  int listener_ = -1;
  std::atomic<int> connection_{-1};
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;  // guarded by mutex_
  std::thread thread_;
};
