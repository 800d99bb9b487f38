// The health verdict of a pack against its health table, and its text.
#pragma once

#include "interp/battery_info.h"

#include <string>

namespace interp {

// -1: no check possible (health check not enabled, or no battery: nothing is cached then);
// 0: FAIL; 1: PASS. On the first call with a check possible the first matching row of
// healthTable (or DefaultHealthItem()) is stored in healthEntry and used until the record is
// reset. PASS when cycleCount > threshold or lifeCapacity >= 70.
int GetHealthVerdict(BatteryInfo& info);

// The row the lookup of GetHealthVerdict would choose, without caching it.
const BatteryHealthItem& MatchHealthItem(const BatteryInfo& info);

// "Battery is not attached", "Charging Battery", "Unsupport", "FAIL" or "PASS".
std::wstring GetHealthText(BatteryInfo& info);

}  // namespace interp
