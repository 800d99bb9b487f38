#include "battery/battery_gene_func.h"

namespace battery {
namespace {

namespace fn {
enum : std::uint16_t {
  kPowerState = 0x02, kBatteryState = 0x03, kMode = 0x10, kTemperature = 0x11, kVoltage = 0x12,
  kCurrent = 0x13, kAverageCurrent = 0x14, kMaxError = 0x15, kRsoc = 0x16, kAsoc = 0x17,
  kRemaining = 0x18, kFullCharge = 0x19, kRunTimeToEmpty = 0x1A, kChargingCurrent = 0x1B,
  kChargingVoltage = 0x1C, kStatus = 0x1D, kCycleCount = 0x1E, kDesignCapacity = 0x1F,
  kDesignVoltage = 0x20, kSerialNumber = 0x21, kManufacturerName = 0x22, kDeviceName = 0x23,
  kChemistry = 0x24, kThrottleCurrent = 0x30, kThrottleTemperature = 0x31, kVeryLow = 0x32,
  kPackConfig = 0x33, kCellVoltage = 0x34, kThrottleOn = 0x40, kThrottleOff = 0x41,
};
}  // namespace fn

// A name result runs from offset 24 up to offset 33.
constexpr std::size_t kNameResultEnd = hw::kMailboxResultOffset + 10;

}  // namespace

void BatteryGeneFunc::Get(std::uint16_t function, std::uint8_t index, std::uint16_t argument,
                          std::size_t clearUpTo) {
  hw::MailboxCommand command;
  command.commandClass = hw::kMailboxClassBattery;
  command.function = function;
  command.batteryIndex = index;
  command.direction = hw::kMailboxGet;
  command.argument = argument;
  command.clearUpTo = clearUpTo;
  hw::RunMailboxCommand(mailbox, command);
}

std::uint8_t BatteryGeneFunc::GetByte(std::uint16_t function, std::uint8_t index) {
  Get(function, index);
  return hw::MailboxResultByte(mailbox);
}

std::uint16_t BatteryGeneFunc::GetWord(std::uint16_t function, std::uint8_t index, std::uint16_t argument) {
  Get(function, index, argument);
  return hw::MailboxResultWord(mailbox);
}

void BatteryGeneFunc::Set(std::uint16_t function, std::uint8_t index, std::uint16_t value) {
  hw::MailboxCommand command;
  command.commandClass = hw::kMailboxClassBattery;
  command.function = function;
  command.batteryIndex = index;
  command.direction = hw::kMailboxSet;
  command.argument = value;
  hw::RunMailboxCommand(mailbox, command);
}

wchar_t* BatteryGeneFunc::GetName(std::uint16_t function, std::uint8_t index, wchar_t* buffer,
                                  std::size_t length) {
  Get(function, index, 0, kNameResultEnd);
  if (buffer == nullptr) return nullptr;
  const std::uint8_t* result = hw::MailboxBytes(mailbox) + hw::kMailboxResultOffset;
  for (std::size_t i = 0; i < length; ++i) buffer[i] = static_cast<wchar_t>(result[i]);
  buffer[length] = 0;
  return buffer;
}

std::uint8_t BatteryGeneFunc::GetPowerState() { return GetByte(fn::kPowerState, 0); }
std::uint8_t BatteryGeneFunc::GetBatteryState(std::uint8_t index) { return GetByte(fn::kBatteryState, index); }
bool BatteryGeneFunc::RefreshBlock(std::uint8_t) { return false; }
std::uint8_t BatteryGeneFunc::GetAcSourceFlag() { return 0; }
bool BatteryGeneFunc::IsCharging(std::uint8_t index) { return (GetByte(fn::kBatteryState, index) & 0x02) != 0; }
std::uint16_t BatteryGeneFunc::GetBatteryMode(std::uint8_t index) { return GetWord(fn::kMode, index); }

float BatteryGeneFunc::GetTemperature(std::uint8_t index) {
  return static_cast<float>(GetWord(fn::kTemperature, index) / 10.0);  // tenths of a degree
}

std::uint16_t BatteryGeneFunc::GetVoltage(std::uint8_t index) { return GetWord(fn::kVoltage, index); }
std::int16_t BatteryGeneFunc::GetCurrent(std::uint8_t index) {
  return static_cast<std::int16_t>(GetWord(fn::kCurrent, index));
}
std::int16_t BatteryGeneFunc::GetAverageCurrent(std::uint8_t index) {
  return static_cast<std::int16_t>(GetWord(fn::kAverageCurrent, index));
}
std::uint8_t BatteryGeneFunc::GetMaxError(std::uint8_t index) { return GetByte(fn::kMaxError, index); }
std::uint8_t BatteryGeneFunc::GetRelativeStateOfCharge(std::uint8_t index) { return GetByte(fn::kRsoc, index); }
std::uint8_t BatteryGeneFunc::GetAbsoluteStateOfCharge(std::uint8_t index) { return GetByte(fn::kAsoc, index); }
std::uint16_t BatteryGeneFunc::GetRemainingCapacity(std::uint8_t index) { return GetWord(fn::kRemaining, index); }
std::uint16_t BatteryGeneFunc::GetFullChargeCapacity(std::uint8_t index) { return GetWord(fn::kFullCharge, index); }
std::uint16_t BatteryGeneFunc::GetRunTimeToEmpty(std::uint8_t index) { return GetWord(fn::kRunTimeToEmpty, index); }
std::uint16_t BatteryGeneFunc::GetChargingCurrent(std::uint8_t index) { return GetWord(fn::kChargingCurrent, index); }
std::uint16_t BatteryGeneFunc::GetChargingVoltage(std::uint8_t index) { return GetWord(fn::kChargingVoltage, index); }
std::uint16_t BatteryGeneFunc::GetBatteryStatus(std::uint8_t index) { return GetWord(fn::kStatus, index); }
std::uint16_t BatteryGeneFunc::GetCycleCount(std::uint8_t index) { return GetWord(fn::kCycleCount, index); }
std::uint16_t BatteryGeneFunc::GetDesignCapacity(std::uint8_t index) { return GetWord(fn::kDesignCapacity, index); }
std::uint16_t BatteryGeneFunc::GetDesignVoltage(std::uint8_t index) { return GetWord(fn::kDesignVoltage, index); }
std::uint16_t BatteryGeneFunc::GetSerialNumber(std::uint8_t index) { return GetWord(fn::kSerialNumber, index); }

wchar_t* BatteryGeneFunc::GetManufacturerName(std::uint8_t index, wchar_t* buffer) {
  return GetName(fn::kManufacturerName, index, buffer, 10);
}
wchar_t* BatteryGeneFunc::GetDeviceName(std::uint8_t index, wchar_t* buffer) {
  return GetName(fn::kDeviceName, index, buffer, 7);
}
wchar_t* BatteryGeneFunc::GetDeviceChemistry(std::uint8_t index, wchar_t* buffer) {
  return GetName(fn::kChemistry, index, buffer, 4);
}

std::uint16_t BatteryGeneFunc::GetSeriesCells(std::uint8_t index) { return GetByte(fn::kPackConfig, index) >> 4; }
std::uint16_t BatteryGeneFunc::GetParallelCells(std::uint8_t index) { return GetByte(fn::kPackConfig, index) & 0x0F; }

float BatteryGeneFunc::GetVeryLowVoltage(std::uint8_t index) {
  return static_cast<float>(GetWord(fn::kVeryLow, index) / 100.0);  // hundredths of a volt
}
std::uint16_t BatteryGeneFunc::GetThrottleTemperature(std::uint8_t index) {
  return GetWord(fn::kThrottleTemperature, index);
}
float BatteryGeneFunc::GetThrottleCurrentLimit(std::uint8_t index) {
  return static_cast<float>(GetWord(fn::kThrottleCurrent, index));
}
std::uint16_t BatteryGeneFunc::GetCellVoltage(std::uint8_t index, std::uint8_t cell) {
  return GetWord(fn::kCellVoltage, index, cell);
}
std::uint16_t BatteryGeneFunc::GetThrottleOnCurrent(std::uint8_t index) { return GetWord(fn::kThrottleOn, index); }
std::uint16_t BatteryGeneFunc::GetThrottleOffCurrent(std::uint8_t index) { return GetWord(fn::kThrottleOff, index); }
void BatteryGeneFunc::SetThrottleOnCurrent(std::uint8_t index, std::uint16_t value) { Set(fn::kThrottleOn, index, value); }
void BatteryGeneFunc::SetThrottleOffCurrent(std::uint8_t index, std::uint16_t value) { Set(fn::kThrottleOff, index, value); }

// The mailbox offers no S3/D3 readings.
std::uint16_t BatteryGeneFunc::GetS3Voltage() { return 0; }
std::uint16_t BatteryGeneFunc::GetS3Current() { return 0; }
std::uint16_t BatteryGeneFunc::GetD3Voltage() { return 0; }
std::uint16_t BatteryGeneFunc::GetD3Current() { return 0; }

}  // namespace battery
