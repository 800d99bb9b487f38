// BatteryInfo: one battery pack as the rest of the program sees it.
#pragma once

#include "interp/battery_health_item.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace interp {

// Plain data with value semantics. The main window owns two, numbered 1 and 2; a record shared
// between the refresh worker and the user-interface thread lives inside a BatteryRecord
// (battery_record.h), which hands out copies.
struct BatteryInfo {
  // `index` is the battery's number as printed in the report (1 or 2), given by the owner.
  explicit BatteryInfo(int index);

  std::wstring manufacturerName;  // first ten characters: identification bytes 1 to 10
  std::wstring deviceChemistry;   // chemistry, cell supplier, pack vendor, reserved
  std::wstring deviceName;
  std::wstring packConfigText;    // "3S2P"; "NA" when neither count is known
  std::uint16_t batteryMode = 0;
  float temperature = 0.0f;       // degrees Celsius
  std::uint16_t voltage = 0;      // mV
  std::int16_t current = 0;       // mA, negative while discharging
  std::int16_t averageCurrent = 0;
  std::uint8_t maxError = 0;      // %
  std::uint8_t relativeStateOfCharge = 0;
  std::uint8_t absoluteStateOfCharge = 0;
  std::uint16_t remainingCapacity = 0;   // mAh
  std::uint16_t fullChargeCapacity = 0;  // mAh
  std::uint16_t runTimeToEmpty = 0;      // min
  std::uint16_t chargingCurrent = 0;     // mA
  std::uint16_t chargingVoltage = 0;     // mV
  std::uint16_t batteryStatus = 0;
  std::uint16_t cycleCount = 0;
  std::uint16_t designCapacity = 0;      // mAh
  std::uint16_t designVoltage = 0;       // mV
  std::uint16_t serialNumber = 0;
  std::uint8_t lifeCapacity = 0;         // full charge / design capacity, %
  std::array<std::uint16_t, 4> cellVoltage{};  // mV, cells 1 to 4
  // Set-point words exactly as the battery interface delivers and accepts them.
  std::uint16_t throttleOnCurrent = 0;   // requested by the panel
  std::uint16_t throttleOffCurrent = 0;
  std::uint16_t throttleOnWritten = 0;   // last read from or sent to the battery
  std::uint16_t throttleOffWritten = 0;
  // The set-points in mA as the panel's edits show them: the value read at creation ("0" for
  // 65535) or the number the user typed. The report prints these, not the words.
  std::uint16_t throttleOnShown = 0;
  std::uint16_t throttleOffShown = 0;
  std::uint16_t throttleCurrentLimit = 0;  // mA, identification byte 7
  std::uint16_t throttleTemperature = 0;   // degrees Celsius, identification byte 8
  float veryLowVoltage = 0.0f;             // V, identification byte 9
  std::vector<BatteryHealthItem> healthTable;
  // The matched health row, held by value so that a copy of the record can never point into
  // another record's table. Empty until the health lookup runs; forgotten on every reset.
  std::optional<BatteryHealthItem> healthEntry;
  bool present = false;
  bool acPresent = false;
  bool charging = false;
  std::uint8_t acSourceFlag = 0;
  bool identityUnavailable = false;  // data come from the I2C battery block
  int index = 0;
  bool healthCheckEnabled = false;   // present and the cycle count is readable
};

// Names "NA", pack text "0S0P", every number from batteryMode to veryLowVoltage zero (set-point
// words, written copies and shown values included), present/acPresent/charging false, healthEntry
// forgotten. healthTable, acSourceFlag, identityUnavailable, index and healthCheckEnabled stay.
void ResetBatteryInfo(BatteryInfo& info);

// fullChargeCapacity / designCapacity x 100 in single precision, truncated, low eight bits;
// 0 for a design capacity of 0.
std::uint8_t ComputeLifeCapacity(std::uint16_t fullChargeCapacity, std::uint16_t designCapacity);

// "%XS%XP" of the series and parallel cell counts; "NA" when both are 0xFFFF.
std::wstring FormatPackConfigText(std::uint16_t seriesCells, std::uint16_t parallelCells);

// The panel's throttle edits: a word read from the battery shows as itself, 65535 as 0.
std::uint16_t ThrottleWordAsShown(std::uint16_t word);

}  // namespace interp
