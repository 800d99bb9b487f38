#include "battery/ibattery.h"

namespace battery {

IBattery::IBattery() {
  nameCache[0][0] = 0;
  nameCache[1][0] = 0;
}

bool IBattery::IsAcPresent() { return (GetPowerState() & 0x01) != 0; }

bool IBattery::IsBatteryPresent(std::uint8_t index) {
  if (index > 1 || addressTable == nullptr) return false;
  const std::uint16_t mask = addressTable[index].word[kPresenceMask];
  const bool present = (GetPowerState() & mask) == mask;
  // A pack found absent forgets its cached name, so a swapped pack shows its own name and
  // thresholds.
  if (!present) nameCache[index][0] = 0;
  return present;
}

}  // namespace battery
