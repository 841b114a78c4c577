// CFaultState: the fault flag of a tree-node row (camera, recording server)
// and the time it was raised, with the rule by which the node shows it: only
// once the fault has lasted more than 5 seconds, or at once when the clock
// has gone back before the time it was raised.
//
// Flag and time are single words read and written atomically without a lock;
// a reader may see a new flag with the old time for an instant.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

class CFaultState {
 public:
  // How long a raised fault stays unshown, in seconds.
  static constexpr int64_t kGraceSeconds = 5;

  CFaultState() = default;
  CFaultState(const CFaultState& other) { Assign(other); }
  CFaultState& operator=(const CFaultState& other) {
    Assign(other);
    return *this;
  }

  // Raises (`flag` not 0) or clears the fault. An unchanged flag does nothing,
  // so a lasting fault keeps the time of its start; raising stamps the current
  // time of the fault clock; clearing keeps the old time.
  void Set(int flag);
  // Sets the flag as it is (0 or 1), leaving the time: for copies that carry
  // the flag alone.
  void AssignFlag(int flag) { flag_.store(flag != 0 ? 1 : 0, std::memory_order_release); }
  // 0 or 1.
  int GetFlag() const { return flag_.load(std::memory_order_relaxed); }
  // Seconds since 1970 of the last raise; 0 when never raised.
  int64_t GetTime() const { return time_.load(std::memory_order_relaxed); }
  // True when the flag is set and now is before the time it was raised or more
  // than kGraceSeconds after it.
  bool IsShown() const;

  // The clock that stamps and judges every fault state of the process; null
  // puts back the system clock. For tests: the clock must outlive its use.
  static void SetClock(const platform::Clock* clock);
  static int64_t NowSeconds();

 private:
  void Assign(const CFaultState& other);

  std::atomic<int> flag_{0};
  std::atomic<int64_t> time_{0};
};
