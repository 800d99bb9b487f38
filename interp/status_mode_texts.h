// Bit-by-bit explanations of the Smart Battery BatteryStatus and BatteryMode words.
#pragma once

#include "interp/battery_info.h"

#include <string>

namespace interp {

// One line per documented bit of batteryStatus, then the error code of bits 3 to 0.
std::wstring BuildStatusText(const BatteryInfo& info);

// One line per documented bit of batteryMode.
std::wstring BuildModeText(const BatteryInfo& info);

}  // namespace interp
