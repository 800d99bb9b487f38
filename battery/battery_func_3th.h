// Battery values through the EC library's third EC RAM window, with the values the EC does
// not mirror read as Smart Battery commands: over the EC's SMBus controller (selector 0) or
// through the ACPI method wrapper (any other selector).
#pragma once

#include "battery/ibattery.h"
#include "battery/smbus_clock.h"
#include "hw/zyl_wrapper.h"

#include <chrono>

namespace battery {

// The transaction pause, the busy byte's bound and its polling interval.
inline constexpr std::chrono::milliseconds kSmbusPause{5};
inline constexpr std::chrono::milliseconds kSmbusBusyLimit{100};
inline constexpr std::chrono::microseconds kSmbusBusyPoll{500};
inline constexpr std::uint16_t kSmbusBusyAddress = 0xEDE3;

// The threshold tables keyed by characters of the manufacturer name; 0 for other keys.
float VeryLowVoltageForKey(std::uint8_t key);         // volts, name character 8
std::uint16_t ThrottleTemperatureForKey(std::uint8_t key);  // degrees Celsius, character 7
float ThrottleCurrentForKey(std::uint8_t key);        // amperes, character 6

class BatteryFunc3th : public IBattery {
 public:
  explicit BatteryFunc3th(SmbusClock& clock = SystemSmbusClock()) : clock_(clock) {}

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

  // EC SMBus controller transactions with the smart battery (selector 0).
  std::uint16_t EcSmbusReadWord(std::uint8_t command);
  std::uint8_t EcSmbusReadByte(std::uint8_t command);
  // destination holds 8 bytes, cleared by the caller; returns the EC's byte count.
  std::uint8_t EcSmbusReadBlock(std::uint8_t command, std::uint8_t n, std::uint8_t* destination);

  hw::IZylWapper* acpiWrapper = nullptr;  // not owned; null when it could not be made

 private:
  const BatteryAddressRecord& Record(std::uint8_t index) const;
  std::uint8_t ReadEc(std::uint16_t address);
  std::uint16_t ReadWord(std::uint16_t lo, std::uint16_t hi);
  std::uint16_t ReadRecordWord(std::uint8_t index, std::size_t loWord, std::size_t hiWord);
  std::uint8_t ReadRecordByte(std::uint8_t index, std::size_t word);
  void WaitWhileBusy();
  void StartTransaction(std::uint8_t protocol, std::uint8_t command);
  std::uint8_t ReadRegister(std::uint8_t reg);
  std::uint16_t SmbusWord(std::uint8_t index, std::uint8_t command);
  std::uint8_t SmbusByte(std::uint8_t index, std::uint8_t command);
  wchar_t* SmbusName(std::uint8_t index, std::uint8_t command, std::uint8_t length, wchar_t* buffer);
  const wchar_t* NameCache(std::uint8_t index);

  SmbusClock& clock_;
};

}  // namespace battery
