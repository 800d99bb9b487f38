// IBattery: the battery data interface, 42 operations in fixed slot order, one or two packs.
#pragma once

#include "battery/battery_address_table.h"

#include <cstdint>

namespace battery {

inline constexpr std::size_t kNameCacheLength = 16;
inline constexpr std::size_t kNameBufferLength = 32;  // the caller's wide buffer of slots 25-27

class IBattery {
 public:
  IBattery();

  // Battery index arguments use their low 8 bits: 0 first battery, 1 second.
  virtual std::uint8_t GetPowerState() = 0;                        // 0
  virtual std::uint8_t GetBatteryState(std::uint8_t index) = 0;    // 1
  virtual bool RefreshBlock(std::uint8_t index) = 0;               // 2
  virtual std::uint8_t GetAcSourceFlag() = 0;                      // 3
  virtual bool IsAcPresent();                                      // 4 (shared)
  virtual bool IsBatteryPresent(std::uint8_t index);               // 5 (shared)
  virtual bool IsCharging(std::uint8_t index) = 0;                 // 6
  virtual std::uint16_t GetBatteryMode(std::uint8_t index) = 0;    // 7
  virtual float GetTemperature(std::uint8_t index) = 0;            // 8, degrees Celsius
  virtual std::uint16_t GetVoltage(std::uint8_t index) = 0;        // 9, mV
  virtual std::int16_t GetCurrent(std::uint8_t index) = 0;         // 10, mA, negative discharging
  virtual std::int16_t GetAverageCurrent(std::uint8_t index) = 0;  // 11, mA
  virtual std::uint8_t GetMaxError(std::uint8_t index) = 0;        // 12, %
  virtual std::uint8_t GetRelativeStateOfCharge(std::uint8_t index) = 0;  // 13, %
  virtual std::uint8_t GetAbsoluteStateOfCharge(std::uint8_t index) = 0;  // 14, %
  virtual std::uint16_t GetRemainingCapacity(std::uint8_t index) = 0;     // 15, mAh
  virtual std::uint16_t GetFullChargeCapacity(std::uint8_t index) = 0;    // 16, mAh
  virtual std::uint16_t GetRunTimeToEmpty(std::uint8_t index) = 0;        // 17, min
  virtual std::uint16_t GetChargingCurrent(std::uint8_t index) = 0;       // 18, mA
  virtual std::uint16_t GetChargingVoltage(std::uint8_t index) = 0;       // 19, mV
  virtual std::uint16_t GetBatteryStatus(std::uint8_t index) = 0;         // 20
  virtual std::uint16_t GetCycleCount(std::uint8_t index) = 0;            // 21
  virtual std::uint16_t GetDesignCapacity(std::uint8_t index) = 0;        // 22, mAh
  virtual std::uint16_t GetDesignVoltage(std::uint8_t index) = 0;         // 23, mV
  virtual std::uint16_t GetSerialNumber(std::uint8_t index) = 0;          // 24
  // Slots 25-27 write into the caller's buffer (at least 32 characters) and return it.
  virtual wchar_t* GetManufacturerName(std::uint8_t index, wchar_t* buffer) = 0;  // 25, <= 10
  virtual wchar_t* GetDeviceName(std::uint8_t index, wchar_t* buffer) = 0;        // 26, <= 7
  virtual wchar_t* GetDeviceChemistry(std::uint8_t index, wchar_t* buffer) = 0;   // 27, <= 4
  virtual std::uint16_t GetSeriesCells(std::uint8_t index) = 0;           // 28
  virtual std::uint16_t GetParallelCells(std::uint8_t index) = 0;         // 29
  virtual float GetVeryLowVoltage(std::uint8_t index) = 0;                // 30, V
  virtual std::uint16_t GetThrottleTemperature(std::uint8_t index) = 0;   // 31, degrees Celsius
  virtual float GetThrottleCurrentLimit(std::uint8_t index) = 0;          // 32, mA
  virtual std::uint16_t GetCellVoltage(std::uint8_t index, std::uint8_t cell) = 0;  // 33, mV
  virtual std::uint16_t GetThrottleOnCurrent(std::uint8_t index) = 0;     // 34
  virtual std::uint16_t GetThrottleOffCurrent(std::uint8_t index) = 0;    // 35
  virtual void SetThrottleOnCurrent(std::uint8_t index, std::uint16_t value) = 0;   // 36
  virtual void SetThrottleOffCurrent(std::uint8_t index, std::uint16_t value) = 0;  // 37
  virtual std::uint16_t GetS3Voltage() = 0;                               // 38, mV
  virtual std::uint16_t GetS3Current() = 0;                               // 39, mA
  virtual std::uint16_t GetD3Voltage() = 0;                               // 40, mV
  virtual std::uint16_t GetD3Current() = 0;                               // 41, mA
  virtual ~IBattery() = default;

  std::uint8_t alternateMap = 0;
  const BatteryAddressRecord* addressTable = nullptr;  // two records: battery 0, battery 1
  wchar_t nameCache[2][kNameCacheLength];
};

}  // namespace battery
