// The platform firmware: the upper CMOS bank that points (through a firmware table) at the
// "$ECMA$" mailbox area, the SMI mailbox functions of classes 0x0010 and 0x0012, and the
// 48-byte ACPI exchange buffer that the WMI method and the hot-key device's object execute.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstdint>

namespace vnb {

inline constexpr std::uint16_t kSmiCommandPort = 0xB2;
inline constexpr std::uint8_t kSmiMailboxCommand = 0xAA;
inline constexpr std::uint16_t kUpperCmosIndexPort = 0x72;
inline constexpr std::uint16_t kUpperCmosDataPort = 0x73;

// Sets up the CMOS bank, the firmware table and the mailbox area for the machine's profile.
void BuildFirmware(MachineState& state);

// Fills 288 bytes with the bank behind an index/data port pair (0xFF where there is none).
void ReadCmosBank(const MachineState& state, std::uint16_t indexPort, std::uint16_t dataPort,
                  std::uint8_t* out);

// True when [address, address + length) lies in the firmware's physical memory.
bool IsPhysRange(std::uint64_t address, std::uint64_t length);
// Copies physical memory; bytes outside the firmware's memory read 0xFF.
void ReadPhys(const MachineState& state, std::uint64_t address, std::uint8_t* out, std::uint32_t length);

// A byte written to the SMI command port: 0xAA runs the mailbox block when the firmware has one.
void SoftwareSmi(MachineState& state, std::uint8_t value);
// Runs one 32-byte mailbox block in place (results from offset 24, up to 10 bytes past it).
void ExecuteMailboxBlock(MachineState& state, std::uint8_t* block);

// Runs the SMBus request of a 48-byte ACPI exchange buffer in place; false when it failed.
bool ExecuteAcpiRequest(MachineState& state, std::uint8_t* buffer);

}  // namespace vnb
