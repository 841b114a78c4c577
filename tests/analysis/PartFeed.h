// Bytes a test hands to a fake server's connection while it runs: the
// session sends whatever is pushed, in order, until the server stops.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "FakeAnalysisServer.h"

class PartFeed {
 public:
  void Push(std::string bytes) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      queue_.push_back(std::move(bytes));
    }
    changed_.notify_all();
  }

  // The session: the 200 reply, then every pushed text until the server stops.
  // Without `answersRequest` (an AI engine's framed stream) nothing is read
  // or answered first.
  void Serve(FakeConnection& connection, bool answersRequest = true) {
    FakeRequest request;
    if (answersRequest && (!connection.ReadRequest(&request) || !connection.SendOk())) return;
    while (!connection.Stopping()) {
      std::string bytes;
      {
        std::unique_lock<std::mutex> hold(lock_);
        if (!changed_.wait_for(hold, std::chrono::milliseconds(50), [&] { return !queue_.empty(); })) continue;
        bytes = std::move(queue_.front());
        queue_.pop_front();
      }
      if (!connection.Send(bytes)) return;
    }
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
};
