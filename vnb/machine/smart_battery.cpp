#include "vnb/machine/smart_battery.h"

#include <cstring>

namespace vnb {
namespace {

SbsAnswer Word(std::uint16_t value) {
  SbsAnswer a;
  a.ok = true;
  a.word = value;
  return a;
}

SbsAnswer Block(const char* text, std::size_t limit) {
  SbsAnswer a;
  a.ok = true;
  a.isBlock = true;
  const std::size_t n = strnlen(text, limit);
  a.count = static_cast<std::uint8_t>(n);
  std::memcpy(a.block, text, n);
  return a;
}

}  // namespace

SbsAnswer SbsRead(const BatterySlot& slot, std::uint8_t command) {
  if (!slot.exists || !slot.present) return SbsAnswer{};
  const PackIdentity& id = slot.identity;
  const PackReadings& r = slot.readings;
  switch (command) {
    case 0x00: return Word(0x0000);                                      // ManufacturerAccess
    case 0x01: return Word(static_cast<std::uint16_t>(id.designCapacity / 10));  // RemainingCapacityAlarm
    case 0x02: return Word(10);                                          // RemainingTimeAlarm
    case 0x03: return Word(r.mode);
    case 0x04: return Word(0);                                           // AtRate
    case 0x05: return Word(65535);                                       // AtRateTimeToFull
    case 0x06: return Word(65535);                                       // AtRateTimeToEmpty
    case 0x07: return Word(1);                                           // AtRateOK
    case 0x08: return Word(r.temperatureDeciKelvin);
    case 0x09: return Word(r.voltage);
    case 0x0A: return Word(static_cast<std::uint16_t>(r.current));
    case 0x0B: return Word(static_cast<std::uint16_t>(r.averageCurrent));
    case 0x0C: return Word(r.maxError);
    case 0x0D: return Word(r.relativeStateOfCharge);
    case 0x0E: return Word(r.absoluteStateOfCharge);
    case 0x0F: return Word(r.remaining);
    case 0x10: return Word(r.fullCharge);
    case 0x11: return Word(r.runTimeToEmpty);
    case 0x12: return Word(r.averageTimeToEmpty);
    case 0x13: return Word(r.averageTimeToFull);
    case 0x14: return Word(r.chargingCurrent);
    case 0x15: return Word(r.chargingVoltage);
    case 0x16: return Word(r.status);
    case 0x17: return Word(r.cycleCount);
    case 0x18: return Word(id.designCapacity);
    case 0x19: return Word(id.designVoltage);
    case 0x1A: return Word(0x0031);                                      // SpecificationInfo 1.1
    case 0x1B: return Word(id.manufactureDate);
    case 0x1C: return Word(id.serialNumber);
    case 0x20: return Block(id.manufacturerName, sizeof id.manufacturerName);
    case 0x21: return Block(id.deviceName, sizeof id.deviceName);
    case 0x22: return Block(id.chemistry, sizeof id.chemistry);
    case 0x23: {                                                         // ManufacturerData
      SbsAnswer a = Block("", 1);
      a.count = 4;
      a.block[0] = id.seriesCells;
      a.block[1] = id.parallelCells;
      a.block[2] = static_cast<std::uint8_t>(id.serialNumber & 0xFF);
      a.block[3] = static_cast<std::uint8_t>(id.serialNumber >> 8);
      return a;
    }
    case 0x3C: return Word(r.cellVoltage[3]);
    case 0x3D: return Word(r.cellVoltage[2]);
    case 0x3E: return Word(r.cellVoltage[1]);
    case 0x3F: return Word(r.cellVoltage[0]);
    default: return SbsAnswer{};
  }
}

}  // namespace vnb
