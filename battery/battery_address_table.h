// Where each battery value lives in EC RAM, per battery and per EC address layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace battery {

// 38 words per battery. Words are EC RAM addresses except 5 (presence mask) and 10 (SMBus
// selector); "lo"/"hi" are the addresses of the low and high byte of a two-byte value.
struct BatteryAddressRecord {
  std::uint16_t word[38];
};

enum AddressWord : std::size_t {
  kThrottleOnHi = 0, kThrottleOnLo = 1, kThrottleOffHi = 2, kThrottleOffLo = 3,
  kPowerState = 4, kPresenceMask = 5, kBatteryState = 6, kTemperatureLo = 7, kTemperatureHi = 8,
  kManufacturerName = 9, kSmbusSelector = 10, kRsocLo = 11, kRsocHi = 12, kVoltageLo = 13,
  kVoltageHi = 14, kRemainingLo = 15, kRemainingHi = 16, kFullChargeLo = 17, kFullChargeHi = 18,
  kDesignCapacityLo = 19, kDesignCapacityHi = 20, kModeLo = 21, kModeHi = 22, kStatusLo = 23,
  kStatusHi = 24, kCurrentLo = 25, kCurrentHi = 26, kChargingCurrentLo = 27,
  kChargingCurrentHi = 28, kChargingVoltageLo = 29, kChargingVoltageHi = 30,
  kDesignVoltageLo = 31, kDesignVoltageHi = 32, kCycleCountLo = 33, kCycleCountHi = 34,
  kPackConfig = 35, kBlockCount = 36, kBlockData = 37,
};

// Table A: first layout. B: second layout, project class below 0x2000. C: second layout,
// class 0x2000 or more (differs from B only in word 36).
extern const BatteryAddressRecord kAddressTableA[2];
extern const BatteryAddressRecord kAddressTableB[2];
extern const BatteryAddressRecord kAddressTableC[2];

const BatteryAddressRecord* SelectAddressTable(std::uint8_t alternateMap, std::uint32_t projectClass);

}  // namespace battery
