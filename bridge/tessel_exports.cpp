// The seven exports of "TesselDll.dll". Each forwards to the one library-wide Bridge; no
// exception may cross into the caller, so an allocation failure reads as a failed call.
#include <cstdint>
#include <new>

#include "bridge/bridge.h"
#include "bridge/hub_platform_ops.h"
#include "bridge/named_bus_mutex.h"
#include "hw/bridge_library_abi.h"

namespace {

// Created when the library is loaded, destroyed when it is unloaded (which closes a connection
// left open by a failed exchange).
struct LibraryInstance {
  bridge::HubPlatformOps ops;
  bridge::NamedBusMutex busMutex{bridge::kBusMutexName};
  bridge::Bridge bridge{ops, busMutex};
};

LibraryInstance library;

}  // namespace

#define TESSEL_EXPORT extern "C" __attribute__((visibility("default")))

TESSEL_EXPORT std::uint8_t GetECRAM() {
  try {
    return library.bridge.GetECRAM();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT std::uint32_t SetI2CDevice(const char* path, std::uint32_t address) {
  return library.bridge.SetI2CDevice(path, address);
}

TESSEL_EXPORT std::uint8_t ReadECRAM(const std::uint8_t* frame, std::uint32_t frameLength,
                                     std::uint8_t* reply, std::uint32_t replyLength) {
  try {
    return library.bridge.ReadECRAM(frame, frameLength, reply, replyLength);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT std::uint8_t WriteECRAM(const std::uint8_t* data, std::uint32_t length) {
  try {
    return library.bridge.WriteECRAM(data, length);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT void ReleaseECRAM() { library.bridge.ReleaseECRAM(); }

TESSEL_EXPORT std::uint32_t InitI2CDevice() {
  try {
    return library.bridge.InitI2CDevice();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT void GetI2CDevice(char (*paths)[260], std::uint32_t* addresses) {
  library.bridge.GetI2CDevice(paths, addresses);
}

// The exports must keep the signatures the program binds them with.
static_assert(static_cast<BridgeGetEcRamFn>(&GetECRAM) != nullptr);
static_assert(static_cast<BridgeSetI2cDeviceFn>(&SetI2CDevice) != nullptr);
static_assert(static_cast<BridgeReadEcRamFn>(&ReadECRAM) != nullptr);
static_assert(static_cast<BridgeWriteEcRamFn>(&WriteECRAM) != nullptr);
static_assert(static_cast<BridgeReleaseEcRamFn>(&ReleaseECRAM) != nullptr);
static_assert(static_cast<BridgeInitI2cDeviceFn>(&InitI2CDevice) != nullptr);
static_assert(static_cast<BridgeGetI2cDeviceFn>(&GetI2CDevice) != nullptr);
