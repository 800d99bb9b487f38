// The C runtime's 15-bit pseudo-random generator, seeded with the time in seconds: two runs
// started within one second draw the same sequence.
#pragma once

#include <cstdint>

namespace os {

// Seconds since the epoch; injectable so tests can fix or step the time.
using SecondsClock = std::int64_t (*)();
std::int64_t SystemSeconds();

class RandomGenerator {
 public:
  explicit RandomGenerator(std::uint32_t seed) : state_(seed) {}
  // Seeded with clock() truncated to 32 bits, as the runtime's srand(time()) does.
  static RandomGenerator SeededFromClock(SecondsClock clock = SystemSeconds);

  // 0 to 32767.
  int Next();

 private:
  std::uint32_t state_;
};

}  // namespace os
