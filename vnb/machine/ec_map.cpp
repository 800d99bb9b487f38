#include "vnb/machine/ec_map.h"

#include "vnb/machine/identity.h"
#include "vnb/machine/profiles.h"

#include <cstring>

namespace vnb {
namespace ec {
namespace {
const BatteryMap kMaps[kBatterySlots] = {
    {0x066A, 0x066B, 0x066C, 0x066D, 0x0381, 0x03BE, 0x0633, 0x03B0, 0x03B2, 0x03B4, 0x03B6, 0x03F0,
     0x03B8, 0x03BA, 0x03BC, 0x03C0, 0x03C2, 0x0000, 0x0000, 0x06C1},
    {0x066E, 0x066F, 0x0670, 0x0671, 0x0382, 0x03DE, 0x063D, 0x03D0, 0x03D2, 0x03D4, 0x03D6, 0x03F8,
     0x03D8, 0x03DA, 0x03DC, 0x03E0, 0x03E2, 0x03FA, 0x03E4, 0x06E1},
};
}  // namespace
const BatteryMap& MapOf(std::size_t slot) { return kMaps[slot]; }
}  // namespace ec

namespace {

const Profile& ProfileOf(const MachineState& state) { return ProfileAt(state.config.profile); }

void PutByte(MachineState& state, std::uint16_t firstLayoutAddress, std::uint8_t value) {
  state.ecRam[LayoutAddress(state, firstLayoutAddress)] = value;
}

void PutWord(MachineState& state, std::uint16_t firstLayoutAddress, std::uint16_t value) {
  const std::uint16_t a = LayoutAddress(state, firstLayoutAddress);
  state.ecRam[a] = static_cast<std::uint8_t>(value & 0xFF);
  state.ecRam[static_cast<std::uint16_t>(a + 1)] = static_cast<std::uint8_t>(value >> 8);
}

void MirrorBattery(MachineState& state, std::size_t index) {
  const BatterySlot& slot = state.slots[index];
  const ec::BatteryMap& map = ec::MapOf(index);
  const bool present = slot.exists && slot.present;
  const PackReadings& r = slot.readings;
  const PackIdentity& id = slot.identity;
  PutByte(state, map.state, present ? r.stateByte : 0);
  PutWord(state, map.temperature, present ? r.temperatureDeciKelvin : 0);
  for (std::size_t i = 0; i < 10; ++i) {
    PutByte(state, static_cast<std::uint16_t>(map.name + i),
            present ? static_cast<std::uint8_t>(id.manufacturerName[i]) : 0);
  }
  PutWord(state, map.rsoc, present ? r.relativeStateOfCharge : 0);
  PutWord(state, map.voltage, present ? r.voltage : 0);
  PutWord(state, map.remaining, present ? r.remaining : 0);
  PutWord(state, map.fullCharge, present ? r.fullCharge : 0);
  PutWord(state, map.designCapacity, present ? id.designCapacity : 0);
  PutWord(state, map.mode, present ? r.mode : 0);
  PutWord(state, map.status, present ? r.status : 0);
  PutWord(state, map.current, present ? static_cast<std::uint16_t>(r.current) : 0);
  PutWord(state, map.chargingCurrent, present ? r.chargingCurrent : 0);
  PutWord(state, map.chargingVoltage, present ? r.chargingVoltage : 0);
  // Only the first layout mirrors design voltage and cycle count, and only for battery 2.
  if (!IsSecondLayout(state)) {
    if (map.designVoltage != 0) PutWord(state, map.designVoltage, present ? id.designVoltage : 0);
    if (map.cycleCount != 0) PutWord(state, map.cycleCount, present ? r.cycleCount : 0);
  }
  PutByte(state, map.packConfig,
          present ? static_cast<std::uint8_t>((id.seriesCells << 4) | id.parallelCells) : 0);
}

}  // namespace

bool IsSecondLayout(const MachineState& state) { return ProfileOf(state).secondLayout; }

std::uint16_t LayoutAddress(const MachineState& state, std::uint16_t firstLayoutAddress) {
  return IsSecondLayout(state) ? static_cast<std::uint16_t>(firstLayoutAddress + ec::kSecondLayoutShift)
                               : firstLayoutAddress;
}

std::uint16_t BlockCountAddress(const MachineState& state) {
  if (!IsSecondLayout(state)) return 0x023C;
  // Firmware of class KL/AP keeps the count one byte lower than class SL firmware.
  const char* version = ProfileOf(state).version;
  const bool sl = version[2] == 'S' && version[3] == 'L';
  return sl ? 0xEC3D : 0xEC3C;
}

std::uint16_t BlockDataAddress(const MachineState& state) {
  return IsSecondLayout(state) ? 0xEC1C : 0x021C;
}

std::uint16_t SetPointWord(const MachineState& state, std::size_t slot, bool throttleOn) {
  const ec::BatteryMap& map = ec::MapOf(slot);
  const std::uint16_t hi = LayoutAddress(state, throttleOn ? map.throttleOnHi : map.throttleOffHi);
  const std::uint16_t lo = LayoutAddress(state, throttleOn ? map.throttleOnLo : map.throttleOffLo);
  return static_cast<std::uint16_t>(state.ecRam[hi] << 8 | state.ecRam[lo]);
}

void StoreSetPointWord(MachineState& state, std::size_t slot, bool throttleOn, std::uint16_t word) {
  const ec::BatteryMap& map = ec::MapOf(slot);
  state.ecRam[LayoutAddress(state, throttleOn ? map.throttleOnHi : map.throttleOffHi)] =
      static_cast<std::uint8_t>(word >> 8);
  state.ecRam[LayoutAddress(state, throttleOn ? map.throttleOnLo : map.throttleOffLo)] =
      static_cast<std::uint8_t>(word & 0xFF);
}

void UpdateThrottleStatus(MachineState& state) {
  std::uint8_t bits = state.config.throttleStatus;
  bool hot = false;
  for (std::size_t i = 0; i < kBatterySlots; ++i) {
    const BatterySlot& slot = state.slots[i];
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << i);
    if (!slot.exists || !slot.present) {
      bits = static_cast<std::uint8_t>(bits & ~bit);
      continue;
    }
    // Set-point in mA = 0xFFFF - stored word; a stored 0 never throttles.
    const std::uint16_t onWord = SetPointWord(state, i, true);
    const std::uint16_t offWord = SetPointWord(state, i, false);
    const int discharge = slot.readings.current < 0 ? -slot.readings.current : 0;
    if (onWord == 0) {
      bits = static_cast<std::uint8_t>(bits & ~bit);
    } else if (discharge > 0xFFFF - onWord) {
      bits |= bit;
    } else if (offWord == 0 || discharge < 0xFFFF - offWord) {
      bits = static_cast<std::uint8_t>(bits & ~bit);
    }
    const std::uint16_t limit = ThrottleTemperatureFromChar(slot.identity.manufacturerName[7]);
    const double celsius = (slot.readings.temperatureDeciKelvin - 2731) / 10.0;
    if (limit != 255 && celsius > limit) hot = true;
  }
  bits = static_cast<std::uint8_t>(hot ? (bits | 0x04) : (bits & ~0x04));
  state.config.throttleStatus = bits;
}

void RefreshEcMirror(MachineState& state) {
  const Profile& profile = ProfileOf(state);
  std::uint8_t power = state.config.acPlugged ? 0x01 : 0x00;
  for (std::size_t i = 0; i < kBatterySlots; ++i) {
    if (state.slots[i].exists && state.slots[i].present) power |= static_cast<std::uint8_t>(0x02 << i);
    MirrorBattery(state, i);
  }
  PutByte(state, ec::kPowerState, power);
  PutByte(state, ec::kThrottleStatus, state.config.throttleStatus);

  // S3 and D3: the pack voltage the EC last recorded in those states and the drain there.
  const BatterySlot& source = state.slots[0].present ? state.slots[0] : state.slots[1];
  const std::uint16_t voltage = source.present ? source.readings.voltage : 0;
  const std::uint16_t wobble = static_cast<std::uint16_t>(state.clock.stepCount % 7);
  PutWord(state, ec::kS3Voltage, voltage);
  PutWord(state, static_cast<std::uint16_t>(ec::kS3Voltage + 2), source.present ? 180 + wobble : 0);
  PutWord(state, static_cast<std::uint16_t>(ec::kS3Voltage + 4), voltage);
  PutWord(state, static_cast<std::uint16_t>(ec::kS3Voltage + 6), source.present ? 35 + wobble / 2 : 0);

  if (profile.secondLayout) {
    state.ecRam[ec::kChipId] = 0xFF;
    state.ecRam[ec::kChipId + 1] = 0xFF;
    state.ecRam[ec::kChipIdSecond] = static_cast<std::uint8_t>(profile.chipId >> 8);
    state.ecRam[ec::kChipIdSecond + 1] = static_cast<std::uint8_t>(profile.chipId & 0xFF);
  } else {
    state.ecRam[ec::kChipId] = static_cast<std::uint8_t>(profile.chipId >> 8);
    state.ecRam[ec::kChipId + 1] = static_cast<std::uint8_t>(profile.chipId & 0xFF);
  }
  state.ecRam[ec::kChipRevision] = profile.chipRevision;
}

std::uint8_t EcRamRead(const MachineState& state, std::uint16_t address) { return state.ecRam[address]; }

void EcRamWrite(MachineState& state, std::uint16_t address, std::uint8_t value) {
  const bool second = IsSecondLayout(state);
  if (address >= ec::kChipId && address <= ec::kChipRevision) return;
  if (second && (address == ec::kChipIdSecond || address == ec::kChipIdSecond + 1 || address == ec::kSmbusBusy)) {
    return;
  }
  state.ecRam[address] = value;
}

void EffectiveVersion(const MachineState& state, char out[9]) {
  std::memcpy(out, ProfileOf(state).version, 8);
  out[8] = '\0';
  if (state.config.faults & FaultBit(Fault::kBadVersion)) out[5] = '\x1B';  // an escape in the text
}

void BuildRom(MachineState& state) {
  std::memset(state.ecRom, 0xFF, sizeof state.ecRom);
  const std::uint16_t base = IsSecondLayout(state) ? ec::kRomSecondShift : 0;
  // A reset vector and some code-like bytes ahead of the identification block.
  for (std::uint16_t i = 0; i < 0x100; ++i) {
    state.ecRom[base + i] = static_cast<std::uint8_t>((i * 37 + 0x5A) & 0xFF);
  }
  const char header[] = "EC-FIRMWARE";  // 11 bytes up to the signature
  std::memcpy(&state.ecRom[base + 0x100], header, 11);
  if (!(state.config.faults & FaultBit(Fault::kRomNoSignature))) {
    state.ecRom[base + ec::kRomSignature] = 'N';
    state.ecRom[base + ec::kRomSignature + 1] = 'V';
  }
  const char date[] = "20241105\0\0\0";  // build date, padding up to the version
  std::memcpy(&state.ecRom[base + 0x10D], date, 11);
  char version[9];
  EffectiveVersion(state, version);
  std::memcpy(&state.ecRom[base + ec::kRomVersion], version, 8);
}

std::uint8_t EcRomRead(const MachineState& state, std::uint16_t address) { return state.ecRom[address]; }

}  // namespace vnb
