#include "os/auto_reset_event.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace os {

namespace {

// One mutex and condition for all events, so a waiter can wait on several at once.
std::mutex& EventMutex() {
  static std::mutex mutex;
  return mutex;
}
std::condition_variable& EventCondition() {
  static std::condition_variable condition;
  return condition;
}

}  // namespace

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(EventMutex());
    signalled_ = true;
  }
  EventCondition().notify_all();
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout) {
  AutoResetEvent* self = this;
  return WaitForAny(std::span<AutoResetEvent* const>(&self, 1), timeout) == 0;
}

int AutoResetEvent::WaitForAny(std::span<AutoResetEvent* const> events, std::chrono::milliseconds timeout) {
  int found = -1;
  auto anySignalled = [&] {
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i]->signalled_) {
        found = static_cast<int>(i);
        return true;
      }
    }
    return false;
  };
  // The wait converts the timeout to clock ticks past now; a huge one ("no limit") would overflow
  // into the past and end the wait at once, so it is held at a century.
  constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24 * 365 * 100);
  std::unique_lock lock(EventMutex());
  if (!EventCondition().wait_for(lock, std::min(timeout, kLongestWait), anySignalled)) return -1;
  events[static_cast<std::size_t>(found)]->signalled_ = false;
  return found;
}

}  // namespace os
