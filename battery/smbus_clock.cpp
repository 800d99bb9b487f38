#include "battery/smbus_clock.h"

#include <thread>

namespace battery {
namespace {

class SystemClock final : public SmbusClock {
 public:
  void Sleep(std::chrono::microseconds duration) override { std::this_thread::sleep_for(duration); }
  std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::now(); }
};

}  // namespace

SmbusClock& SystemSmbusClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace battery
