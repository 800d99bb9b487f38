// The resource hub's connection table of a profile (ids 0 to 127): the EC's I2C slave where the
// profile has one, and the notebook's other devices, with the ACPI connection descriptor of
// each in the layout of the system build.
#pragma once

#include "vnb/machine/profiles.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vnb {

inline constexpr std::uint32_t kHubNewLayoutBuild = 8149;  // builds below use the old layout
inline constexpr std::size_t kHubPropertiesSize = 1036;

struct HubConnection {
  std::uint32_t id;
  std::uint8_t descriptorType;  // 0x8E serial bus, 0x8C GPIO
  std::uint8_t busType;         // 1 I2C, 2 SPI, 3 UART
  std::uint16_t address;
  const char* path;
  bool isEc;
};

std::vector<HubConnection> HubConnectionsOf(const Profile& profile);
const HubConnection* FindHubConnection(const std::vector<HubConnection>& table, std::uint64_t id);

// Writes the connection-properties answer; returns the bytes written, 0 when `size` is short.
std::size_t BuildConnectionProperties(const HubConnection& connection, std::uint32_t build,
                                      std::uint8_t* out, std::size_t size);

}  // namespace vnb
