// Loading the I2C bridge library "TesselDll.dll" and binding its exports, and the I2C
// connections the start-up probe tries.
#pragma once

#include "hw/library_binding.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace hw {

struct I2cCandidate {
  const char* path;  // ACPI path of the I2C controller
  std::uint32_t address;
};

// Tried in this order.
inline constexpr std::array<I2cCandidate, 2> kI2cCandidates = {{
    {"\\_SB.I2C1", 0x66},
    {"\\_SB.PCI0.I2C1", 0x66},
}};

// "TesselDll.dll" from the res folder of the current directory (kept at unload), else the
// carried copy (resource 150) written under the random name (deleted at unload).
bool LoadBridgeLibrary(LibraryBinding& binding, std::string_view randomFileName);

// Fills the bridge function table from the binding's module; false (table empty) when the
// library lacks one of the five names.
bool BindBridgeExports(const LibraryBinding& binding);

}  // namespace hw
