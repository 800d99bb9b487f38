// The EC's SMBus host controller, reached with the extended commands 0x9B (write register),
// 0x9A (read register) and 0x9C (start). It talks to the first battery's smart-battery slave.
// A started transaction runs for a short while; in the second layout the EC shows it in the
// busy byte. Any other host request than polling that byte waits for the transaction to end.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstdint>

namespace vnb {

namespace smbus {
inline constexpr std::uint8_t kProtocol = 0x18;
inline constexpr std::uint8_t kStatus = 0x19;   // bit 7 done, bit 4 error
inline constexpr std::uint8_t kAddress = 0x1A;
inline constexpr std::uint8_t kCommand = 0x1B;
inline constexpr std::uint8_t kDataLow = 0x1C;
inline constexpr std::uint8_t kDataHigh = 0x1D;
inline constexpr std::uint8_t kReadByte = 0x07;
inline constexpr std::uint8_t kReadWord = 0x09;
inline constexpr std::uint8_t kReadBlock = 0x0B;
inline constexpr std::uint8_t kStatusDone = 0x80;
inline constexpr std::uint8_t kStatusError = 0x10;
inline constexpr std::int64_t kTransactionNs = 2'000'000;  // 2 ms on the bus
}  // namespace smbus

void SmbusWriteRegister(MachineState& state, std::uint8_t reg, std::uint8_t value);
std::uint8_t SmbusReadRegister(const MachineState& state, std::uint8_t reg);
void SmbusStart(MachineState& state, std::int64_t nowNs);
// Completes the running transaction when it is due, or at once when `force` is set (a host
// request that has to wait for it). A stuck controller never completes.
void SmbusPoll(MachineState& state, std::int64_t nowNs, bool force);

}  // namespace vnb
