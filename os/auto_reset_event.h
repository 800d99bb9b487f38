// Auto-reset events: Set wakes one waiter (or the next one to wait) and the event resets as
// the waiter takes it. Every wait can be bounded.
#pragma once

#include <chrono>
#include <span>

namespace os {

class AutoResetEvent {
 public:
  AutoResetEvent() = default;
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  void Set();
  // True when the event was signalled within the timeout (it is then reset).
  bool WaitFor(std::chrono::milliseconds timeout);
  // Index of the first signalled event of the list (only that one is reset), or -1 when none
  // was signalled within the timeout. The lowest index wins when several are signalled.
  static int WaitForAny(std::span<AutoResetEvent* const> events, std::chrono::milliseconds timeout);

 private:
  bool signalled_ = false;  // guarded by the events' shared mutex
};

}  // namespace os
