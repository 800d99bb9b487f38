// Calls into the EC library table that never go through an empty entry: an unbound entry
// reads as 0 and writes nothing, as an EC that does not answer.
#pragma once

#include "hw/ec_library.h"

#include <cstdint>

namespace hw {

std::uint8_t EcRamRead(std::uint16_t address);                       // ECMem3r
void EcRamWrite(std::uint16_t address, std::uint8_t value);          // ECMem3w
std::uint8_t EcRomRead(std::uint16_t address);                       // RomRead
// Ext3rdCmd; false when the entry is empty (the block is left as it was).
bool EcExtCommand(EcExtCmdBlock& block);
void EcPortWrite8(std::uint16_t port, std::uint8_t value);           // IOWrite8

}  // namespace hw
