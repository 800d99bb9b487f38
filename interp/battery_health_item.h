// One row of the battery-health table.
#pragma once

#include <cstdint>
#include <string>

namespace interp {

struct BatteryHealthItem {
  std::wstring key;    // selector kind, lower-cased: "chemistry[0]" or "devicename"
  std::wstring value;  // what the selector must equal, exactly as in the file
  std::int32_t threshold = 0;  // cycle-count threshold

  bool operator==(const BatteryHealthItem&) const = default;
};

// The row used when no row of the table matches: empty key, value "default", 300 cycles.
const BatteryHealthItem& DefaultHealthItem();

}  // namespace interp
