// The pauses of an EC SMBus transaction. The product sleeps for real; tests give a clock that
// only records.
#pragma once

#include <chrono>

namespace battery {

class SmbusClock {
 public:
  virtual ~SmbusClock() = default;
  virtual void Sleep(std::chrono::microseconds duration) = 0;
  virtual std::chrono::steady_clock::time_point Now() = 0;
};

// The process's real clock.
SmbusClock& SystemSmbusClock();

}  // namespace battery
