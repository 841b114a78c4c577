// What the metadata receiver and client tests share: shortened timings, a
// result collector behind the receiver's callback, result texts, and records
// pointing at a fake analysis server.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeAnalysisServer.h"
#include "analysis/VasMetaReceiver.h"
#include "support/WaitUntil.h"

// The system's waits, shortened so that each rule shows in well under a second.
inline CVasMetaTimings FastTimings() {
  CVasMetaTimings timings;
  timings.connectRetryPauseMs = 300;
  timings.receiveFailurePauseMs = 100;
  timings.headerWaitMs = 100;
  timings.bodyWaitMs = 2000;
  timings.receiverWaitMs = 100;
  timings.stopCheckMs = 20;
  return timings;
}

// A record of an own-kind server on the fake's port.
inline CVasConnInfo LocalServer(unsigned short port, int vasId = 7, int reserved = 3) {
  CVasConnInfo info;
  info.VasID = vasId;
  info.Reserved = reserved;
  info.Type = kVasKindOwn;
  info.Address = "127.0.0.1";
  info.Port = port;
  return info;
}

// An analysis result of `channel`; `gap` numbers the results of a test.
inline std::string ResultText(int channel, int gap) {
  return R"({"T":"a","C":)" + std::to_string(channel) + R"(,"Gap":)" + std::to_string(gap) +
         R"(,"S":"20201008123456789","N":[{"o":1,"t":2,"e":[1]}]})";
}

// What the receiver's callback saw of one result.
struct Delivered {
  int vasId;
  int reserved;
  int channel;
  int gap;
  size_t thumbnail;
  long thread;
};

// The receiver's callback: records every result, then takes it (deletes it)
// or, with `refuse`, leaves it to the receiver.
class Collector {
 public:
  static bool Callback(CVAR* result, void* param) {
    auto* self = static_cast<Collector*>(param);
    std::lock_guard<std::mutex> hold(self->lock_);
    self->results_.push_back({result->VasID, result->Reserved, result->Channel, result->Gap,
                              result->Thumbnail.size(), static_cast<long>(syscall(SYS_gettid))});
    if (self->refuse) return false;
    if (self->keep) {
      self->kept_.emplace_back(result);
    } else {
      delete result;
    }
    return true;
  }

  // With `keep`, the results taken are kept whole; read them after the
  // receiver stopped.
  const std::vector<std::unique_ptr<CVAR>>& Kept() { return kept_; }

  std::vector<Delivered> Results() {
    std::lock_guard<std::mutex> hold(lock_);
    return results_;
  }
  size_t Count() { return Results().size(); }
  bool WaitFor(size_t count, int seconds = 30) {
    return WaitUntil([&] { return Count() >= count; }, seconds);
  }

  bool refuse = false;
  bool keep = false;

 private:
  std::mutex lock_;
  std::vector<Delivered> results_;
  std::vector<std::unique_ptr<CVAR>> kept_;
};

// A receiver on shortened timings whose file log stays closed.
struct ReceiverUnderTest {
  explicit ReceiverUnderTest(std::shared_ptr<platform::Clock> clock = platform::SystemClock(),
                             CVasMetaTimings timings = FastTimings())
      : receiver(std::move(clock), timings) {
    receiver.SetFileLogFolder("");
  }
  bool Run(const CVasConnInfo& info) {
    receiver.ConnInfos = {info};
    return receiver.Run(&Collector::Callback, &collector);
  }
  Collector collector;
  CVasMetaReceiver receiver;
};

// A TCP socket bound to a loopback port the kernel chooses; `address` gets
// that address. Returns the socket.
inline int BindLoopback(sockaddr_in* address) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  *address = sockaddr_in{};
  address->sin_family = AF_INET;
  address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(*address);
  bind(fd, reinterpret_cast<sockaddr*>(address), sizeof(*address));
  getsockname(fd, reinterpret_cast<sockaddr*>(address), &length);
  return fd;
}

// A loopback port whose socket neither listens nor accepts: with `listening`
// its queue is filled, so connection attempts get no answer; without, they
// are refused.
class DeadPort {
 public:
  explicit DeadPort(bool listening) {
    sockaddr_in address;
    fd_ = BindLoopback(&address);
    port_ = ntohs(address.sin_port);
    if (!listening) return;
    listen(fd_, 0);
    for (int i = 0; i < 4; ++i) {
      int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
      fillers_.push_back(filler);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ~DeadPort() {
    for (int filler : fillers_) close(filler);
    close(fd_);
  }
  DeadPort(const DeadPort&) = delete;
  DeadPort& operator=(const DeadPort&) = delete;
  unsigned short port() const { return port_; }

 private:
  int fd_;
  unsigned short port_;
  std::vector<int> fillers_;
};

// Connection attempts hang until their time-out.
struct SilentListener : DeadPort {
  SilentListener() : DeadPort(true) {}
};
// Connection attempts are refused.
struct RefusingPort : DeadPort {
  RefusingPort() : DeadPort(false) {}
};
