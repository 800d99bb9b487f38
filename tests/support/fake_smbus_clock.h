// A clock that only records the pauses asked of it and advances by them.
#pragma once

#include "battery/smbus_clock.h"

#include <vector>

namespace fake {

class FakeSmbusClock : public battery::SmbusClock {
 public:
  void Sleep(std::chrono::microseconds duration) override {
    sleeps.push_back(duration);
    now += duration;
  }
  std::chrono::steady_clock::time_point Now() override { return now; }

  std::chrono::steady_clock::time_point now{};
  std::vector<std::chrono::microseconds> sleeps;
};

}  // namespace fake
