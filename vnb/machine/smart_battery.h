// A pack's Smart Battery command set as its SMBus slave at 0x16 answers it, from the readings
// of the current model step.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstdint>

namespace vnb {

inline constexpr std::uint8_t kSmartBatteryAddress = 0x16;

struct SbsAnswer {
  bool ok = false;        // false: the pack is absent or does not know the command
  bool isBlock = false;
  std::uint16_t word = 0;
  std::uint8_t count = 0;  // block length
  std::uint8_t block[32] = {};
};

SbsAnswer SbsRead(const BatterySlot& slot, std::uint8_t command);

}  // namespace vnb
