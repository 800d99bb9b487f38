// The bridge library's state and its seven operations: the selected connection, the transport
// that reaches it, and the bus lock every exchange holds. The exported functions are thin
// wrappers over one instance of this class.
#pragma once

#include <chrono>
#include <cstdint>

#include "bridge/bus_lock.h"
#include "bridge/i2c_connection_table.h"
#include "bridge/platform_ops.h"
#include "bridge/spb_transport.h"

namespace bridge {

inline constexpr char kBusMutexName[] = "InitTesselMutex";
inline constexpr char kDefaultDevicePath[] = "\\_SB.I2C1";
inline constexpr std::uint32_t kDefaultDeviceAddress = 0x66;
// A stuck holder must not hang the caller: after this long the exchange counts as failed.
inline constexpr std::chrono::milliseconds kBusLockTimeout{5000};

class Bridge {
 public:
  Bridge(PlatformOps& ops, BusLock& busLock,
         std::chrono::milliseconds busLockTimeout = kBusLockTimeout);

  std::uint8_t GetECRAM();
  std::uint32_t SetI2CDevice(const char* path, std::uint32_t address);
  std::uint8_t ReadECRAM(const std::uint8_t* frame, std::uint32_t frameLength, std::uint8_t* reply,
                         std::uint32_t replyLength);
  std::uint8_t WriteECRAM(const std::uint8_t* data, std::uint32_t length);
  void ReleaseECRAM() {}
  std::uint32_t InitI2CDevice();
  void GetI2CDevice(char (*paths)[kPathCapacity], std::uint32_t* addresses) const;

  const char* DevicePath() const { return devicePath_; }
  std::uint32_t DeviceAddress() const { return deviceAddress_; }
  const SpbTransport& Transport() const { return transport_; }

 private:
  // Opens the selected connection and runs one exchange under the bus lock; on success the
  // connection is closed again, on failure it stays open until the next exchange or unload.
  bool Exchange(const TransferRequest& request);

  SpbTransport transport_;
  BusLock& busLock_;
  std::chrono::milliseconds busLockTimeout_;
  char devicePath_[kPathCapacity] = {};
  std::uint32_t deviceAddress_ = 0;
};

}  // namespace bridge
