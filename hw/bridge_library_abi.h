// Binary interface of the I2C bridge library "TesselDll.dll": the signatures of its seven
// exports (C linkage). The program binds the first five by name.
#pragma once

#include <cstdint>

extern "C" {

// Enumerates the I2C connections, then selects "\_SB.I2C1" / 0x66. 1 = enumeration ran.
using BridgeGetEcRamFn = std::uint8_t (*)();
// Sends the frame to the selected device, then reads replyLength bytes. 1 = success.
using BridgeReadEcRamFn = std::uint8_t (*)(const std::uint8_t* frame, std::uint32_t frameLength,
                                           std::uint8_t* reply, std::uint32_t replyLength);
using BridgeWriteEcRamFn = std::uint8_t (*)(const std::uint8_t* data, std::uint32_t length);
// Selects the connection by ACPI path and slave address; returns the address.
using BridgeSetI2cDeviceFn = std::uint32_t (*)(const char* path, std::uint32_t address);
using BridgeReleaseEcRamFn = void (*)();
// Number of I2C connections found, 0 when the enumeration failed.
using BridgeInitI2cDeviceFn = std::uint32_t (*)();
// Copies each connection of the last enumeration: 260-byte path buffers, u32 addresses.
using BridgeGetI2cDeviceFn = void (*)(char (*paths)[260], std::uint32_t* addresses);

}  // extern "C"
