// The EC's RAM map as its firmware keeps it: where each battery value is mirrored in both
// address layouts, the throttle set-points and status byte, the S3/D3 readings, the chip
// identification, and the ROM with its version signature.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstddef>
#include <cstdint>

namespace vnb {

// Addresses of the first layout; the second layout keeps its battery map 0xF400 higher.
namespace ec {
inline constexpr std::uint16_t kSecondLayoutShift = 0xF400;
inline constexpr std::uint16_t kPowerState = 0x0380;       // bit 0 AC, bit 1/2 battery 1/2 present
inline constexpr std::uint16_t kThrottleStatus = 0x0672;
inline constexpr std::uint16_t kS3Voltage = 0x0628;        // then S3 current, D3 voltage, D3 current
inline constexpr std::uint16_t kChipId = 0x2000;           // second layout: 0xFF1E
inline constexpr std::uint16_t kChipIdSecond = 0xFF1E;
inline constexpr std::uint16_t kChipRevision = 0x2002;     // both layouts
inline constexpr std::uint16_t kSmbusBusy = 0xEDE3;        // second layout only
inline constexpr std::uint16_t kRomSignature = 0x010B;     // "NV"; +0x1000 in the second layout
inline constexpr std::uint16_t kRomVersion = 0x0118;       // eight characters
inline constexpr std::uint16_t kRomSecondShift = 0x1000;

// Per-battery mirror, first layout (lo byte address; hi = lo + 1).
struct BatteryMap {
  std::uint16_t throttleOnHi, throttleOnLo, throttleOffHi, throttleOffLo;
  std::uint16_t state, temperature, name, rsoc, voltage, remaining, fullCharge, designCapacity;
  std::uint16_t mode, status, current, chargingCurrent, chargingVoltage;
  std::uint16_t designVoltage, cycleCount;  // 0: not mirrored
  std::uint16_t packConfig;
};
const BatteryMap& MapOf(std::size_t slot);
}  // namespace ec

bool IsSecondLayout(const MachineState& state);
// The address of a first-layout battery-map address in the machine's layout.
std::uint16_t LayoutAddress(const MachineState& state, std::uint16_t firstLayoutAddress);
// Where the EC leaves the byte count and data of an SMBus block read.
std::uint16_t BlockCountAddress(const MachineState& state);
std::uint16_t BlockDataAddress(const MachineState& state);

// The stored set-point word (hi byte at the hi address); the current in mA is 0xFFFF - word.
std::uint16_t SetPointWord(const MachineState& state, std::size_t slot, bool throttleOn);
void StoreSetPointWord(MachineState& state, std::size_t slot, bool throttleOn, std::uint16_t word);

// Rewrites every mirrored value from the batteries' readings and the machine's state.
void RefreshEcMirror(MachineState& state);
// Re-evaluates the CPU throttle status byte from currents, set-points and temperatures.
void UpdateThrottleStatus(MachineState& state);

std::uint8_t EcRamRead(const MachineState& state, std::uint16_t address);
// Writes an EC RAM byte; identification bytes and the busy byte are read-only.
void EcRamWrite(MachineState& state, std::uint16_t address, std::uint8_t value);

// The version string the firmware reports (eight characters, NUL-terminated; the bad-version
// fault garbles it).
void EffectiveVersion(const MachineState& state, char out[9]);
// Lays out the ROM for the profile and the ROM faults.
void BuildRom(MachineState& state);
std::uint8_t EcRomRead(const MachineState& state, std::uint16_t address);

}  // namespace vnb
