#include "entities/FaultState.h"

namespace {
std::atomic<const platform::Clock*> g_faultClock{nullptr};
}  // namespace

void CFaultState::SetClock(const platform::Clock* clock) { g_faultClock.store(clock); }

int64_t CFaultState::NowSeconds() {
  const platform::Clock* clock = g_faultClock.load();
  if (clock == nullptr) clock = platform::SystemClock().get();
  return static_cast<int64_t>(clock->NowSeconds());
}

void CFaultState::Set(int flag) {
  int value = flag != 0 ? 1 : 0;
  if (flag_.load(std::memory_order_relaxed) == value) return;
  // The time goes first, so a reader that sees the raised flag sees its time.
  if (value) time_.store(NowSeconds(), std::memory_order_release);
  flag_.store(value, std::memory_order_release);
}

bool CFaultState::IsShown() const {
  if (flag_.load(std::memory_order_acquire) == 0) return false;
  int64_t raised = time_.load(std::memory_order_acquire);
  int64_t now = NowSeconds();
  return now < raised || now - raised > kGraceSeconds;
}

void CFaultState::Assign(const CFaultState& other) {
  time_.store(other.GetTime(), std::memory_order_relaxed);
  flag_.store(other.GetFlag(), std::memory_order_relaxed);
}
