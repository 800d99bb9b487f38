#include "vnb/machine/ec_smbus.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/profiles.h"
#include "vnb/machine/smart_battery.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vnb {
namespace {

void SetBusy(MachineState& state, bool busy) {
  if (IsSecondLayout(state)) state.ecRam[ec::kSmbusBusy] = busy ? 1 : 0;
}

}  // namespace

void SmbusWriteRegister(MachineState& state, std::uint8_t reg, std::uint8_t value) {
  state.smbus.registers[reg] = value;
}

std::uint8_t SmbusReadRegister(const MachineState& state, std::uint8_t reg) {
  return state.smbus.registers[reg];
}

void SmbusStart(MachineState& state, std::int64_t nowNs) {
  SmbusController& c = state.smbus;
  const std::uint8_t protocol = c.registers[smbus::kProtocol];
  const std::uint8_t address = c.registers[smbus::kAddress];
  const std::uint8_t command = c.registers[smbus::kCommand];
  const bool block = protocol == smbus::kReadBlock;

  c.running = 1;
  c.registers[smbus::kStatus] = 0;
  c.registers[smbus::kDataLow] = 0;
  c.registers[smbus::kDataHigh] = 0;
  SetBusy(state, true);

  // The second layout's firmware takes the length the host asked for from the count byte.
  std::uint8_t requested = 32;
  if (block && IsSecondLayout(state)) {
    const std::uint8_t asked = state.ecRam[BlockCountAddress(state)];
    if (asked != 0) requested = std::min<std::uint8_t>(asked, 32);
  }
  if (block) state.ecRam[BlockCountAddress(state)] = 0;

  if (state.config.faults & FaultBit(Fault::kSmbusBusyStuck)) {
    c.resultValid = 0;
    c.dueNs = std::numeric_limits<std::int64_t>::max();
    return;
  }

  c.resultValid = 1;
  c.resultStatus = smbus::kStatusDone;
  c.resultCount = 0;
  std::memset(c.resultData, 0, sizeof c.resultData);
  const bool known = protocol == smbus::kReadByte || protocol == smbus::kReadWord || block;
  SbsAnswer answer;
  if (known && address == kSmartBatteryAddress && state.slots[0].exists) answer = SbsRead(state.slots[0], command);
  if (!answer.ok || answer.isBlock != block) {
    c.resultStatus = smbus::kStatusDone | smbus::kStatusError;
  } else if (block) {
    c.resultCount = std::min(answer.count, requested);
    std::memcpy(c.resultData, answer.block, c.resultCount);
  } else {
    c.resultData[0] = static_cast<std::uint8_t>(answer.word & 0xFF);
    c.resultData[1] = static_cast<std::uint8_t>(answer.word >> 8);
  }
  // With the clock stopped the bus stands still too: only a host request completes it.
  c.dueNs = state.clock.speed > 0.0 ? nowNs + smbus::kTransactionNs : std::numeric_limits<std::int64_t>::max();
}

void SmbusPoll(MachineState& state, std::int64_t nowNs, bool force) {
  SmbusController& c = state.smbus;
  if (!c.running || !c.resultValid) return;  // idle, or stuck for good
  if (!force && nowNs < c.dueNs) return;
  c.running = 0;
  c.resultValid = 0;
  c.registers[smbus::kStatus] = c.resultStatus;
  if (c.registers[smbus::kProtocol] == smbus::kReadBlock) {
    const std::uint16_t data = BlockDataAddress(state);
    for (std::uint8_t i = 0; i < c.resultCount; ++i) {
      state.ecRam[static_cast<std::uint16_t>(data + i)] = c.resultData[i];
    }
    state.ecRam[BlockCountAddress(state)] = c.resultCount;
  } else {
    c.registers[smbus::kDataLow] = c.resultData[0];
    c.registers[smbus::kDataHigh] = c.resultData[1];
  }
  SetBusy(state, false);
}

}  // namespace vnb
