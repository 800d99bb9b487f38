// The information texts behind the panel's manufacturer-name and device-chemistry pictures.
#pragma once

#include "interp/battery_info.h"

#include <string>

namespace interp {

// Both need characters at fixed positions of their text (manufacturer name: 0 to 9, device
// chemistry: 0 to 3). Every position is checked first: one beyond the end of the text throws
// InvalidArgument (invalid_argument.h) and nothing is produced, so the initial "NA" fails both.
// Otherwise a position equal to the length ends the text right after that position's opening
// bracket. Battery characters are inserted as they are, never read as formatting directives.
std::wstring BuildIdentificationText(const BatteryInfo& info);
std::wstring BuildChemistryText(const BatteryInfo& info);

}  // namespace interp
