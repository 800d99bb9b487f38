// Battery values over I2C: the EC answers the frame 0x81 with one 62-byte block of 31 words for
// the battery; RefreshBlock fetches it and every other operation answers from the last block.
// One battery only: the index arguments are ignored.
#pragma once

#include "battery/ibattery.h"

#include <array>
#include <cstddef>

namespace battery {

inline constexpr std::size_t kI2cBlockWords = 31;
inline constexpr std::size_t kI2cBlockBytes = 2 * kI2cBlockWords;
inline constexpr std::uint8_t kI2cBatteryFrame = 0x81;

class BatteryI2CFunc : public IBattery {
 public:
  BatteryI2CFunc() = default;

  std::uint8_t GetPowerState() override;
  std::uint8_t GetBatteryState(std::uint8_t index) override;
  bool RefreshBlock(std::uint8_t index) override;
  std::uint8_t GetAcSourceFlag() override;
  bool IsCharging(std::uint8_t index) override;
  std::uint16_t GetBatteryMode(std::uint8_t index) override;
  float GetTemperature(std::uint8_t index) override;
  std::uint16_t GetVoltage(std::uint8_t index) override;
  std::int16_t GetCurrent(std::uint8_t index) override;
  std::int16_t GetAverageCurrent(std::uint8_t index) override;
  std::uint8_t GetMaxError(std::uint8_t index) override;
  std::uint8_t GetRelativeStateOfCharge(std::uint8_t index) override;
  std::uint8_t GetAbsoluteStateOfCharge(std::uint8_t index) override;
  std::uint16_t GetRemainingCapacity(std::uint8_t index) override;
  std::uint16_t GetFullChargeCapacity(std::uint8_t index) override;
  std::uint16_t GetRunTimeToEmpty(std::uint8_t index) override;
  std::uint16_t GetChargingCurrent(std::uint8_t index) override;
  std::uint16_t GetChargingVoltage(std::uint8_t index) override;
  std::uint16_t GetBatteryStatus(std::uint8_t index) override;
  std::uint16_t GetCycleCount(std::uint8_t index) override;
  std::uint16_t GetDesignCapacity(std::uint8_t index) override;
  std::uint16_t GetDesignVoltage(std::uint8_t index) override;
  std::uint16_t GetSerialNumber(std::uint8_t index) override;
  wchar_t* GetManufacturerName(std::uint8_t index, wchar_t* buffer) override;
  wchar_t* GetDeviceName(std::uint8_t index, wchar_t* buffer) override;
  wchar_t* GetDeviceChemistry(std::uint8_t index, wchar_t* buffer) override;
  std::uint16_t GetSeriesCells(std::uint8_t index) override;
  std::uint16_t GetParallelCells(std::uint8_t index) override;
  float GetVeryLowVoltage(std::uint8_t index) override;
  std::uint16_t GetThrottleTemperature(std::uint8_t index) override;
  float GetThrottleCurrentLimit(std::uint8_t index) override;
  std::uint16_t GetCellVoltage(std::uint8_t index, std::uint8_t cell) override;
  std::uint16_t GetThrottleOnCurrent(std::uint8_t index) override;
  std::uint16_t GetThrottleOffCurrent(std::uint8_t index) override;
  void SetThrottleOnCurrent(std::uint8_t index, std::uint16_t value) override;
  void SetThrottleOffCurrent(std::uint8_t index, std::uint16_t value) override;
  std::uint16_t GetS3Voltage() override;
  std::uint16_t GetS3Current() override;
  std::uint16_t GetD3Voltage() override;
  std::uint16_t GetD3Current() override;

  // Whole-number percentage of a over b as the EC firmware tools compute it; 0 when b is 0.
  static std::uint8_t Percentage(std::uint16_t a, std::uint16_t b);

  // 1: the AC field said 1 (USB-C source), 0: it said 2 (adapter). Starts at 0.
  std::uint8_t latchedAcSource = 0;
  // The last block received; all zero until the first successful refresh.
  std::array<std::uint16_t, kI2cBlockWords> lastBlock{};
};

}  // namespace battery
