#include "vnb/machine/i2c_slave.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/profiles.h"

#include <cmath>
#include <cstring>

namespace vnb {
namespace {

constexpr std::uint8_t kFrameIdentify = 0xEC;
constexpr std::uint8_t kFrameEcRam = 0xD0;
constexpr std::uint8_t kEcRamRead = 0x08;
constexpr std::uint8_t kEcRamWrite = 0x09;
constexpr std::uint8_t kFrameBatteryBlock = 0x81;

void PutWord(std::uint8_t* out, std::size_t word, std::uint16_t value) {
  out[2 * word] = static_cast<std::uint8_t>(value & 0xFF);
  out[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t ChargeField(const BatterySlot& slot) {
  switch (slot.physics.phase) {
    case PackPhase::kConstantCurrent: return 1;
    case PackPhase::kConstantVoltage: return 2;
    case PackPhase::kFull: return 3;
    default: return 0;
  }
}

}  // namespace

void BuildI2cBatteryBlock(const MachineState& state, std::uint8_t* out) {
  std::memset(out, 0, kI2cBatteryBlockSize);
  const BatterySlot& slot = state.slots[0];
  const PackReadings& r = slot.readings;
  const PackIdentity& id = slot.identity;
  const Profile& profile = ProfileAt(state.config.profile);
  PutWord(out, 0, r.status);
  PutWord(out, 1, r.mode);
  PutWord(out, 2, id.serialNumber);
  PutWord(out, 3, static_cast<std::uint16_t>(std::lround((r.temperatureDeciKelvin - 2731) / 10.0)));
  PutWord(out, 4, r.voltage);
  PutWord(out, 5, r.cellVoltage[0]);
  PutWord(out, 6, r.cellVoltage[1]);
  PutWord(out, 7, r.cellVoltage[2]);
  PutWord(out, 8, r.remaining);
  PutWord(out, 9, r.fullCharge);
  PutWord(out, 10, static_cast<std::uint16_t>(r.current));
  PutWord(out, 11, r.runTimeToEmpty);
  PutWord(out, 12, static_cast<std::uint16_t>(r.averageCurrent));
  PutWord(out, 13, r.relativeStateOfCharge);
  PutWord(out, 14, r.absoluteStateOfCharge);
  PutWord(out, 15, r.averageTimeToEmpty);
  PutWord(out, 16, r.averageTimeToFull);
  PutWord(out, 17, r.maxError);
  PutWord(out, 18, id.designVoltage);
  PutWord(out, 19, r.cellVoltage[3]);
  PutWord(out, 20, static_cast<std::uint16_t>(id.seriesCells << 4 | id.parallelCells));
  PutWord(out, 21, r.cycleCount);
  PutWord(out, 22, id.manufactureDate);
  // Bits 13-6: power source (1 USB-C, 2 adapter, 0 none); bits 5-4: charge phase; bit 0 present.
  const std::uint16_t source = state.config.acPlugged ? static_cast<std::uint16_t>(profile.acSource) : 0;
  PutWord(out, 23, static_cast<std::uint16_t>(source << 6 | ChargeField(slot) << 4 | 1));
  PutWord(out, 24, SetPointWord(state, 0, true));
  PutWord(out, 25, SetPointWord(state, 0, false));
  PutWord(out, 26, state.config.throttleStatus);
  PutWord(out, 28, id.designCapacity);
  PutWord(out, 29, r.chargingCurrent);
  PutWord(out, 30, r.chargingVoltage);
}

bool I2cExchange(MachineState& state, const std::uint8_t* frame, std::size_t frameLength,
                 std::uint8_t* reply, std::size_t replyLength) {
  if (frameLength == 0) return false;
  if (replyLength > 0) std::memset(reply, 0, replyLength);
  if (frame[0] == kFrameIdentify && frameLength == 1) {
    char version[9];
    EffectiveVersion(state, version);
    std::memcpy(reply, version, replyLength < 8 ? replyLength : 8);
    return true;
  }
  if (frame[0] == kFrameEcRam && frameLength >= 4) {
    const auto address = static_cast<std::uint16_t>(frame[2] | frame[3] << 8);
    if (frame[1] == kEcRamRead && frameLength == 4) {
      if (replyLength > 0) reply[0] = EcRamRead(state, address);
      return true;
    }
    if (frame[1] == kEcRamWrite && frameLength == 5) {
      EcRamWrite(state, address, frame[4]);
      return true;
    }
    return false;
  }
  if (frame[0] == kFrameBatteryBlock && frameLength == 1) {
    if (!state.slots[0].exists || !state.slots[0].present) return false;  // no pack data to give
    std::uint8_t block[kI2cBatteryBlockSize];
    BuildI2cBatteryBlock(state, block);
    std::memcpy(reply, block, replyLength < kI2cBatteryBlockSize ? replyLength : kI2cBatteryBlockSize);
    return true;
  }
  return false;
}

}  // namespace vnb
