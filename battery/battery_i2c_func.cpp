#include "battery/battery_i2c_func.h"

#include "hw/bridge_library.h"

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <vector>

namespace battery {

namespace {

enum BlockWord : std::size_t {
  kStatus = 0, kTemperature = 3, kVoltage = 4, kRemaining = 8, kFullCharge = 9, kCurrent = 10,
  kRunTimeToEmpty = 11, kCycleCount = 21, kPowerFlags = 23, kDesignCapacity = 28,
  kChargingCurrent = 29, kChargingVoltage = 30,
};

wchar_t* WriteUnknownName(wchar_t* buffer) {
  if (buffer != nullptr) std::wcscpy(buffer, L"XXXX");
  return buffer;
}

}  // namespace

std::uint8_t BatteryI2CFunc::Percentage(std::uint16_t a, std::uint16_t b) {
  // Without this test the division would give infinity or NaN, and converting that to an
  // integer is undefined.
  if (b == 0) return 0;
  const float ratio = static_cast<float>(a) / static_cast<float>(b);
  const double percent = std::floor(static_cast<double>(ratio) * 100.0 + 0.5);
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(percent) & 0xFF);
}

std::uint8_t BatteryI2CFunc::GetPowerState() {
  const unsigned acField = (lastBlock[kPowerFlags] >> 6) & 0xFFu;
  if (acField == 1) {
    latchedAcSource = 1;
    return 1;
  }
  if (acField == 2) {
    latchedAcSource = 0;
    return 1;
  }
  return 0;
}

std::uint8_t BatteryI2CFunc::GetBatteryState(std::uint8_t) { return 0; }

bool BatteryI2CFunc::RefreshBlock(std::uint8_t) {
  const auto readEcRam = hw::BridgeLibrary().ReadECRAM;
  if (readEcRam == nullptr) return false;
  std::vector<std::uint8_t> frame{kI2cBatteryFrame};
  std::vector<std::uint8_t> reply(kI2cBlockBytes, 0);
  if (readEcRam(frame.data(), static_cast<std::uint32_t>(frame.size()), reply.data(),
                static_cast<std::uint32_t>(reply.size())) != 1) {
    return false;
  }
  for (std::size_t i = 0; i < kI2cBlockWords; ++i) {
    lastBlock[i] = static_cast<std::uint16_t>(reply[2 * i] | (reply[2 * i + 1] << 8));
  }
  return true;
}

std::uint8_t BatteryI2CFunc::GetAcSourceFlag() { return latchedAcSource; }

bool BatteryI2CFunc::IsCharging(std::uint8_t) {
  const unsigned chargeField = (lastBlock[kPowerFlags] >> 4) & 3u;
  return chargeField == 1 || chargeField == 2;
}

std::uint16_t BatteryI2CFunc::GetBatteryMode(std::uint8_t) { return 0; }
float BatteryI2CFunc::GetTemperature(std::uint8_t) { return static_cast<float>(lastBlock[kTemperature]); }
std::uint16_t BatteryI2CFunc::GetVoltage(std::uint8_t) { return lastBlock[kVoltage]; }
std::int16_t BatteryI2CFunc::GetCurrent(std::uint8_t) { return static_cast<std::int16_t>(lastBlock[kCurrent]); }
std::int16_t BatteryI2CFunc::GetAverageCurrent(std::uint8_t) {
  return static_cast<std::int16_t>(lastBlock[kCurrent]);
}
std::uint8_t BatteryI2CFunc::GetMaxError(std::uint8_t) { return 0; }
std::uint8_t BatteryI2CFunc::GetRelativeStateOfCharge(std::uint8_t) {
  return Percentage(lastBlock[kRemaining], lastBlock[kFullCharge]);
}
std::uint8_t BatteryI2CFunc::GetAbsoluteStateOfCharge(std::uint8_t) {
  return Percentage(lastBlock[kRemaining], lastBlock[kDesignCapacity]);
}
std::uint16_t BatteryI2CFunc::GetRemainingCapacity(std::uint8_t) { return lastBlock[kRemaining]; }
std::uint16_t BatteryI2CFunc::GetFullChargeCapacity(std::uint8_t) { return lastBlock[kFullCharge]; }
std::uint16_t BatteryI2CFunc::GetRunTimeToEmpty(std::uint8_t) { return lastBlock[kRunTimeToEmpty]; }
std::uint16_t BatteryI2CFunc::GetChargingCurrent(std::uint8_t) { return lastBlock[kChargingCurrent]; }
std::uint16_t BatteryI2CFunc::GetChargingVoltage(std::uint8_t) { return lastBlock[kChargingVoltage]; }
std::uint16_t BatteryI2CFunc::GetBatteryStatus(std::uint8_t) { return lastBlock[kStatus]; }
std::uint16_t BatteryI2CFunc::GetCycleCount(std::uint8_t) { return lastBlock[kCycleCount]; }
std::uint16_t BatteryI2CFunc::GetDesignCapacity(std::uint8_t) { return lastBlock[kDesignCapacity]; }
std::uint16_t BatteryI2CFunc::GetDesignVoltage(std::uint8_t) { return 0; }
std::uint16_t BatteryI2CFunc::GetSerialNumber(std::uint8_t) { return 0; }
wchar_t* BatteryI2CFunc::GetManufacturerName(std::uint8_t, wchar_t* buffer) { return WriteUnknownName(buffer); }
wchar_t* BatteryI2CFunc::GetDeviceName(std::uint8_t, wchar_t* buffer) { return WriteUnknownName(buffer); }
wchar_t* BatteryI2CFunc::GetDeviceChemistry(std::uint8_t, wchar_t* buffer) { return WriteUnknownName(buffer); }
std::uint16_t BatteryI2CFunc::GetSeriesCells(std::uint8_t) { return 0; }
std::uint16_t BatteryI2CFunc::GetParallelCells(std::uint8_t) { return 0; }
float BatteryI2CFunc::GetVeryLowVoltage(std::uint8_t) { return 0.0f; }
std::uint16_t BatteryI2CFunc::GetThrottleTemperature(std::uint8_t) { return 0; }
float BatteryI2CFunc::GetThrottleCurrentLimit(std::uint8_t) { return 0.0f; }
std::uint16_t BatteryI2CFunc::GetCellVoltage(std::uint8_t, std::uint8_t) { return 0; }
std::uint16_t BatteryI2CFunc::GetThrottleOnCurrent(std::uint8_t) { return 0; }
std::uint16_t BatteryI2CFunc::GetThrottleOffCurrent(std::uint8_t) { return 0; }
void BatteryI2CFunc::SetThrottleOnCurrent(std::uint8_t, std::uint16_t) {}
void BatteryI2CFunc::SetThrottleOffCurrent(std::uint8_t, std::uint16_t) {}
std::uint16_t BatteryI2CFunc::GetS3Voltage() { return 0; }
std::uint16_t BatteryI2CFunc::GetS3Current() { return 0; }
std::uint16_t BatteryI2CFunc::GetD3Voltage() { return 0; }
std::uint16_t BatteryI2CFunc::GetD3Current() { return 0; }

}  // namespace battery
