// The EC's I2C slave at 0x66: the host writes a frame and reads the reply in one sequence.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstddef>
#include <cstdint>

namespace vnb {

inline constexpr std::uint8_t kEcI2cAddress = 0x66;
inline constexpr std::size_t kI2cBatteryBlockSize = 62;

// One exchange: false when the EC does not acknowledge (unknown frame, no battery block).
bool I2cExchange(MachineState& state, const std::uint8_t* frame, std::size_t frameLength,
                 std::uint8_t* reply, std::size_t replyLength);

// The 62-byte block of battery 1: 31 little-endian words.
void BuildI2cBatteryBlock(const MachineState& state, std::uint8_t* out);

}  // namespace vnb
