// Battery values through the firmware mailbox: every operation is one command of class 0x0012.
#pragma once

#include "battery/ibattery.h"
#include "hw/smi_mailbox.h"

namespace battery {

class BatteryGeneFunc : public IBattery {
 public:
  explicit BatteryGeneFunc(hw::SmiMailbox* mailboxBlock) : mailbox(mailboxBlock) {}

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

  hw::SmiMailbox* mailbox;  // not owned, shared with the EC accessor

 private:
  void Get(std::uint16_t function, std::uint8_t index, std::uint16_t argument = 0,
           std::size_t clearUpTo = sizeof(hw::SmiMailbox));
  std::uint8_t GetByte(std::uint16_t function, std::uint8_t index);
  std::uint16_t GetWord(std::uint16_t function, std::uint8_t index, std::uint16_t argument = 0);
  void Set(std::uint16_t function, std::uint8_t index, std::uint16_t value);
  wchar_t* GetName(std::uint16_t function, std::uint8_t index, wchar_t* buffer, std::size_t length);
};

}  // namespace battery
