#include "vnb/machine/firmware.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/identity.h"
#include "vnb/machine/profiles.h"
#include "vnb/machine/smart_battery.h"

#include <algorithm>
#include <cstring>

namespace vnb {
namespace {

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint8_t* PhysPointer(MachineState& state, std::uint32_t address) {
  return reinterpret_cast<std::uint8_t*>(&state) + address;
}

void PutText(std::uint8_t* out, const char* text, std::size_t count) {
  for (std::size_t i = 0; i < count && text[i] != '\0'; ++i) out[i] = static_cast<std::uint8_t>(text[i]);
}

void EcInformation(MachineState& state, std::uint16_t function, std::uint8_t* block) {
  const Profile& profile = ProfileAt(state.config.profile);
  std::uint8_t* result = block + 24;
  switch (function) {
    case 1: result[0] = 1; break;  // EC ready
    case 2:
      result[0] = static_cast<std::uint8_t>(profile.chipId >> 8);
      result[1] = static_cast<std::uint8_t>(profile.chipId & 0xFF);
      break;
    case 3: result[0] = profile.chipRevision; break;
    case 4: {
      char version[9];
      EffectiveVersion(state, version);
      PutText(result, version, 8);
      break;
    }
    default: break;
  }
}

void BatteryFunction(MachineState& state, std::uint16_t function, std::uint8_t* block) {
  const std::uint8_t index = block[10];
  const bool get = block[11] == 1;
  const std::uint16_t argument = GetU16(block + 16);
  std::uint8_t* result = block + 24;
  if (function == 0x02) {
    result[0] = state.ecRam[LayoutAddress(state, ec::kPowerState)];
    return;
  }
  if (index >= kBatterySlots || !state.slots[index].exists) return;
  const BatterySlot& slot = state.slots[index];
  // Set-points: the same stored words as the EC RAM path, read back complemented.
  if (function == 0x40 || function == 0x41) {
    const bool on = function == 0x40;
    if (get) {
      PutU16(result, static_cast<std::uint16_t>(0xFFFF - SetPointWord(state, index, on)));
    } else {
      StoreSetPointWord(state, index, on, argument);
    }
    return;
  }
  if (!slot.present || !get) return;
  const PackReadings& r = slot.readings;
  const PackIdentity& id = slot.identity;
  switch (function) {
    case 0x03: result[0] = r.stateByte; break;
    case 0x10: PutU16(result, r.mode); break;
    case 0x11: PutU16(result, static_cast<std::uint16_t>(r.temperatureDeciKelvin - 2731)); break;  // 0.1 C
    case 0x12: PutU16(result, r.voltage); break;
    case 0x13: PutU16(result, static_cast<std::uint16_t>(r.current)); break;
    case 0x14: PutU16(result, static_cast<std::uint16_t>(r.averageCurrent)); break;
    case 0x15: result[0] = r.maxError; break;
    case 0x16: result[0] = r.relativeStateOfCharge; break;
    case 0x17: result[0] = r.absoluteStateOfCharge; break;
    case 0x18: PutU16(result, r.remaining); break;
    case 0x19: PutU16(result, r.fullCharge); break;
    case 0x1A: PutU16(result, r.runTimeToEmpty); break;
    case 0x1B: PutU16(result, r.chargingCurrent); break;
    case 0x1C: PutU16(result, r.chargingVoltage); break;
    case 0x1D: PutU16(result, r.status); break;
    case 0x1E: PutU16(result, r.cycleCount); break;
    case 0x1F: PutU16(result, id.designCapacity); break;
    case 0x20: PutU16(result, id.designVoltage); break;
    case 0x21: PutU16(result, id.serialNumber); break;
    case 0x22: PutText(result, id.manufacturerName, 10); break;
    case 0x23: PutText(result, id.deviceName, 7); break;
    case 0x24: PutText(result, id.chemistry, 4); break;
    case 0x30: PutU16(result, ThrottleCurrentFromChar(id.manufacturerName[6])); break;
    case 0x31: PutU16(result, ThrottleTemperatureFromChar(id.manufacturerName[7])); break;
    case 0x32: PutU16(result, VeryLowVoltageFromChar(id.manufacturerName[8])); break;
    case 0x33: result[0] = static_cast<std::uint8_t>(id.seriesCells << 4 | id.parallelCells); break;
    case 0x34:
      if (argument < kCells) PutU16(result, r.cellVoltage[argument]);
      break;
    default: break;
  }
}

}  // namespace

void BuildFirmware(MachineState& state) {
  const Profile& profile = ProfileAt(state.config.profile);
  std::memset(state.cmos, 0, sizeof state.cmos);
  std::memset(state.phys, 0, sizeof state.phys);
  // The bank carries the firmware table's address; the table carries the mailbox area's.
  PutU32(state.cmos + kCmosFirmwareTablePointer, kPhysFirmwareTable);
  std::uint8_t* table = PhysPointer(state, kPhysFirmwareTable);
  std::memcpy(table, "$FWT", 4);
  std::uint32_t area = 0;
  if (profile.mailbox == MailboxKind::kPresent) area = kPhysMailboxArea;
  if (profile.mailbox == MailboxKind::kUnsigned) area = kPhysUnsignedArea;
  PutU32(table + kFirmwareTableMailboxPointer, area);
  if (profile.mailbox == MailboxKind::kPresent) std::memcpy(PhysPointer(state, kPhysMailboxArea), "$ECMA$", 6);
}

void ReadCmosBank(const MachineState& state, std::uint16_t indexPort, std::uint16_t dataPort, std::uint8_t* out) {
  if (indexPort == kUpperCmosIndexPort && dataPort == kUpperCmosDataPort) {
    std::memcpy(out, state.cmos, kCmosBytes);
  } else {
    std::memset(out, 0xFF, kCmosBytes);
  }
}

bool IsPhysRange(std::uint64_t address, std::uint64_t length) {
  return address >= kPhysBase && length <= kPhysRegionSize && address - kPhysBase <= kPhysRegionSize - length;
}

void ReadPhys(const MachineState& state, std::uint64_t address, std::uint8_t* out, std::uint32_t length) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(&state);
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint64_t a = address + i;
    out[i] = IsPhysRange(a, 1) ? base[a] : 0xFF;
  }
}

void SoftwareSmi(MachineState& state, std::uint8_t value) {
  if (value != kSmiMailboxCommand) return;
  if (ProfileAt(state.config.profile).mailbox != MailboxKind::kPresent) return;
  ExecuteMailboxBlock(state, PhysPointer(state, kPhysMailboxArea + kMailboxBlockOffset));
}

void ExecuteMailboxBlock(MachineState& state, std::uint8_t* block) {
  if (GetU16(block) != 0x0001) return;
  const std::uint16_t commandClass = GetU16(block + 2);
  const std::uint16_t function = GetU16(block + 8);
  if (commandClass == 0x0010) EcInformation(state, function, block);
  if (commandClass == 0x0012) BatteryFunction(state, function, block);
}

bool ExecuteAcpiRequest(MachineState& state, std::uint8_t* buffer) {
  const std::uint8_t selector = buffer[8];
  const std::uint8_t protocol = buffer[9];
  const std::uint8_t slave = buffer[10];
  const std::uint8_t command = buffer[11];
  std::memset(buffer + 12, 0, kAcpiBufferSize - 12);
  if (selector >= kBatterySlots || slave != kSmartBatteryAddress) return false;
  if (protocol != 7 && protocol != 9 && protocol != 11) return false;
  const SbsAnswer answer = SbsRead(state.slots[selector], command);
  if (!answer.ok || answer.isBlock != (protocol == 11)) return false;
  if (answer.isBlock) {
    const std::uint8_t n = std::min<std::uint8_t>(answer.count, kAcpiBufferSize - 16);
    buffer[12] = n;  // the block length in the result byte
    std::memcpy(buffer + 16, answer.block, n);
  } else if (protocol == 7) {
    buffer[12] = static_cast<std::uint8_t>(answer.word & 0xFF);
  } else {
    PutU16(buffer + 12, answer.word);
  }
  return true;
}

}  // namespace vnb
