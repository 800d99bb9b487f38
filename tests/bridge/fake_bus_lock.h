// A bus lock for unit tests: it can be made unavailable and notes when it is held.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "bridge/bus_lock.h"

namespace bridge_test {

class FakeBusLock final : public bridge::BusLock {
 public:
  explicit FakeBusLock(std::vector<std::string>& events) : events_(events) {}

  bool available = true;
  bool held = false;
  std::chrono::milliseconds lastTimeout{0};

  bool Acquire(std::chrono::milliseconds timeout) override {
    lastTimeout = timeout;
    if (!available) {
      events_.push_back("lock timed out");
      return false;
    }
    held = true;
    events_.push_back("lock");
    return true;
  }
  void Release() override {
    held = false;
    events_.push_back("unlock");
  }

 private:
  std::vector<std::string>& events_;
};

}  // namespace bridge_test
