#include "os/random.h"

#include <ctime>

namespace os {

std::int64_t SystemSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

RandomGenerator RandomGenerator::SeededFromClock(SecondsClock clock) {
  return RandomGenerator(static_cast<std::uint32_t>(clock()));
}

int RandomGenerator::Next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

}  // namespace os
