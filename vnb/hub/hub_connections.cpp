#include "vnb/hub/hub_connections.h"

#include "vnb/machine/i2c_slave.h"

#include <cstring>

namespace vnb {
namespace {

constexpr std::uint8_t kSerialBus = 0x8E;
constexpr std::uint8_t kGpio = 0x8C;
constexpr std::uint8_t kI2c = 1;
constexpr std::uint8_t kSpi = 2;
constexpr std::uint8_t kUart = 3;

void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Length of the type-specific data of each serial bus type.
std::uint16_t TypeDataLength(std::uint8_t busType) {
  switch (busType) {
    case kI2c: return 6;
    case kSpi: return 9;
    default: return 10;
  }
}

}  // namespace

std::vector<HubConnection> HubConnectionsOf(const Profile& profile) {
  std::vector<HubConnection> table = {
      {0x02, kGpio, 0, 0, "\\_SB.GPI0", false},                // lid switch interrupt
      {0x03, kSerialBus, kI2c, 0x2C, "\\_SB.I2C1", false},     // touchpad
      {0x07, kSerialBus, kSpi, 0x00, "\\_SB.PCI0.SPI1", false},  // fingerprint reader
      {0x0A, kSerialBus, kUart, 0x00, "\\_SB.URT1", false},    // debug UART
      {0x11, kSerialBus, kI2c, 0x40, "\\_SB.PCI0.I2C2", false},  // sensor hub
      {0x15, kSerialBus, kI2c, kEcI2cAddress, "\\_SB.PCI0.I2C3", false},  // audio codec
  };
  if (profile.i2cPath != nullptr) {
    table.push_back({0x1F, kSerialBus, kI2c, kEcI2cAddress, profile.i2cPath, true});
  }
  return table;
}

const HubConnection* FindHubConnection(const std::vector<HubConnection>& table, std::uint64_t id) {
  for (const HubConnection& c : table) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::size_t BuildConnectionProperties(const HubConnection& connection, std::uint32_t build,
                                      std::uint8_t* out, std::size_t size) {
  const std::uint16_t typeLength = TypeDataLength(connection.busType);
  const std::size_t pathLength = std::strlen(connection.path) + 1;
  const std::size_t total = 20 + typeLength + pathLength;
  if (size < total) return 0;
  std::memset(out, 0, total);
  PutU32(out, static_cast<std::uint32_t>(total - 8));  // bytes of the descriptor that follows
  std::uint8_t* d = out + 8;
  d[0] = connection.descriptorType;
  PutU16(d + 1, static_cast<std::uint32_t>(total - 8 - 3));
  if (build >= kHubNewLayoutBuild) {
    d[3] = 2;                       // revision
    d[5] = connection.busType;      // output offset 13
    d[6] = 0x02;                    // consumer, controller initiated
    d[9] = 1;                       // type-specific revision
    PutU16(d + 10, typeLength);     // output offset 18
    PutU32(d + 12, 400000);         // connection speed
    PutU16(d + 16, connection.address);  // output offset 24
  } else {
    d[3] = 1;
    d[4] = connection.busType;      // output offset 12
    d[5] = 0x02;
    d[7] = 0;                       // output offset 15: type-specific flags
    d[8] = 1;
    PutU16(d + 9, typeLength);      // output offset 17
    PutU32(d + 11, 400000);
    PutU16(d + 15, connection.address);  // output offset 23
  }
  std::memcpy(out + 20 + typeLength, connection.path, pathLength);
  return total;
}

}  // namespace vnb
