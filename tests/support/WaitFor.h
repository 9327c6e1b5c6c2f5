#pragma once
// Waits for work the engine does on its own threads (background loads):
// runs a step and checks a condition until it holds or a generous bound of
// time has passed, so a slow or loaded machine (sanitized builds on two
// cores) waits longer instead of failing.
#include <chrono>
#include <thread>

// Returns whether the condition came to hold.
template <typename Done, typename Step>
bool WaitFor(Done done, Step step, std::chrono::seconds bound = std::chrono::seconds(60)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    step();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
