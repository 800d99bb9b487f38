// The information report block of one battery, as saved in the report file.
#pragma once

#include "interp/battery_info.h"

#include <string>

namespace interp {

// "[ Battery n Attach : Yes ]" and one line per value, or only "[ Battery n Attach : No ]" for
// an absent battery. No line break after the last line. Runs the health verdict (which may
// cache the matched row in healthEntry).
std::wstring BuildBatteryReport(BatteryInfo& info);

}  // namespace interp
