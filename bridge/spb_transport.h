// The lower layer of the bridge: finds the I2C connections the firmware declares, opens the
// selected one and runs one write-then-read exchange on it as a single SPB sequence.
#pragma once

#include <cstdint>

#include "bridge/i2c_connection_table.h"
#include "bridge/platform_ops.h"
#include "bridge/spb_transfer_list.h"

namespace bridge {

inline constexpr std::uint32_t kLastConnectionId = 127;
inline constexpr std::uint32_t kConnectionQueryInputLength = 16;
inline constexpr std::uint32_t kConnectionQueryOutputLength = 1036;
// Builds above this one report the serial-bus descriptor at the newer offsets.
inline constexpr std::uint32_t kLastOldLayoutBuild = 8148;

inline constexpr char kResourceHubName[] = "\\\\.\\RESOURCE_HUB";

class SpbTransport {
 public:
  explicit SpbTransport(PlatformOps& ops) : ops_(ops) {}
  ~SpbTransport();
  SpbTransport(const SpbTransport&) = delete;
  SpbTransport& operator=(const SpbTransport&) = delete;

  // Refills the table from the resource hub. False (table untouched) when the version cannot be
  // read or the hub cannot be opened; true also when no I2C connection was found.
  bool EnumerateConnections();
  // Closes any handle left open, then opens the first connection whose path equals `path` and
  // whose slave address equals the low byte of `address`.
  bool OpenI2cDevice(const char* path, std::uint32_t address);
  // One exchange on the open connection; writes a failure line to standard output on failure.
  bool ExecuteSequence(const TransferRequest& request);
  void CloseDevice();

  const I2cConnectionTable& Table() const { return table_; }
  bool DeviceOpen() const { return deviceHandle_ != kHubInvalidHandle; }

 private:
  // Decodes one connection-properties answer; false when it is no I2C serial-bus connection.
  static bool ParseDescriptor(const std::uint8_t* out, std::uint32_t returned, bool newLayout,
                              std::uint32_t id, I2cConnection& entry);
  bool UseWideTransferList();

  PlatformOps& ops_;
  I2cConnectionTable table_;
  HubHandle deviceHandle_ = kHubInvalidHandle;
};

}  // namespace bridge
