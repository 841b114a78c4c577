// Waiting on a condition in tests: never a fixed sleep for correctness.
#pragma once

#include <chrono>
#include <thread>

// Polls `done` every 2 ms until it holds or `seconds` have passed (generous by
// default: other builds may load the machine). True when it held.
template <typename Done>
bool WaitUntil(Done done, int seconds = 30) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Milliseconds since `start` on the steady clock.
inline int ElapsedMs(std::chrono::steady_clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}
