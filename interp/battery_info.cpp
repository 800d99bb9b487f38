#include "interp/battery_info.h"

#include "interp/number_text.h"

#include <cmath>

namespace interp {

const BatteryHealthItem& DefaultHealthItem() {
  static const BatteryHealthItem item{L"", L"default", 300};
  return item;
}

BatteryInfo::BatteryInfo(int ownerIndex) : index(ownerIndex) { ResetBatteryInfo(*this); }

void ResetBatteryInfo(BatteryInfo& info) {
  info.manufacturerName = L"NA";
  info.deviceChemistry = L"NA";
  info.deviceName = L"NA";
  info.packConfigText = L"0S0P";
  info.batteryMode = 0;
  info.temperature = 0.0f;
  info.voltage = 0;
  info.current = 0;
  info.averageCurrent = 0;
  info.maxError = 0;
  info.relativeStateOfCharge = 0;
  info.absoluteStateOfCharge = 0;
  info.remainingCapacity = 0;
  info.fullChargeCapacity = 0;
  info.runTimeToEmpty = 0;
  info.chargingCurrent = 0;
  info.chargingVoltage = 0;
  info.batteryStatus = 0;
  info.cycleCount = 0;
  info.designCapacity = 0;
  info.designVoltage = 0;
  info.serialNumber = 0;
  info.lifeCapacity = 0;
  info.cellVoltage = {};
  info.throttleOnCurrent = 0;
  info.throttleOffCurrent = 0;
  info.throttleOnWritten = 0;
  info.throttleOffWritten = 0;
  info.throttleOnShown = 0;
  info.throttleOffShown = 0;
  info.throttleCurrentLimit = 0;
  info.throttleTemperature = 0;
  info.veryLowVoltage = 0.0f;
  info.present = false;
  info.acPresent = false;
  info.charging = false;
  info.healthEntry.reset();
}

std::uint8_t ComputeLifeCapacity(std::uint16_t fullChargeCapacity, std::uint16_t designCapacity) {
  if (designCapacity == 0) return 0;
  const float percent =
      static_cast<float>(fullChargeCapacity) / static_cast<float>(designCapacity) * 100.0f;
  // At most 6553500, so the integer conversion is defined; the byte keeps the low eight bits.
  const auto whole = static_cast<std::uint32_t>(std::trunc(percent));
  return static_cast<std::uint8_t>(whole & 0xFFu);
}

std::wstring FormatPackConfigText(std::uint16_t seriesCells, std::uint16_t parallelCells) {
  if (seriesCells == 0xFFFF && parallelCells == 0xFFFF) return L"NA";
  return FormatNumber(seriesCells, 16, "%XS") + FormatNumber(parallelCells, 16, "%XP");
}

std::uint16_t ThrottleWordAsShown(std::uint16_t word) { return word == 65535 ? 0 : word; }

}  // namespace interp
