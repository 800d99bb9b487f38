// The identification characters the maker's packs carry in their manufacturer name, read the
// way the EC firmware reads them, and the packs this notebook ships with.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstdint>

namespace vnb {

// Name character 7 (zero-based 6): maximum discharge current for CPU throttling, mA; 0 unknown.
std::uint16_t ThrottleCurrentFromChar(char c);
// Name character 8 (zero-based 7): over-temperature threshold, degrees C (0 always, 255 never).
std::uint16_t ThrottleTemperatureFromChar(char c);
// Name character 9 (zero-based 8): very-low threshold in hundredths of a volt; 0 unknown.
std::uint16_t VeryLowVoltageFromChar(char c);
// Name character 10 (zero-based 9) for a pack of this many cells; '?' when there is none.
char PackConfigChar(std::uint8_t series, std::uint8_t parallel);

// The two packs of a fresh machine: slot 0 a 3S2P pack, slot 1 a 4S1P pack.
PackIdentity StockPack(std::size_t slot);

}  // namespace vnb
