// The seven exports of "TesselDll.dll". Each forwards to the one library-wide Bridge; no
// exception may cross into the caller, so an allocation failure reads as a failed call.
#include <cstdint>
#include <new>
#include <type_traits>

#include "bridge/bridge.h"
#include "bridge/hub_platform_ops.h"
#include "bridge/named_bus_mutex.h"
#include "hw/bridge_library_abi.h"

namespace {

struct LibraryInstance {
  bridge::HubPlatformOps ops;
  bridge::NamedBusMutex busMutex{bridge::kBusMutexName};
  bridge::Bridge bridge{ops, busMutex};
};

// Made on the first call and destroyed when the library is unloaded or the process ends, which
// closes a connection a failed exchange left open. Being made after the hub's own statics, it is
// destroyed before them, so that last close still finds the hub intact.
bridge::Bridge& Library() {
  static LibraryInstance instance;
  return instance.bridge;
}

}  // namespace

#define TESSEL_EXPORT extern "C" __attribute__((visibility("default")))

TESSEL_EXPORT std::uint8_t GetECRAM() {
  try {
    return Library().GetECRAM();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT std::uint32_t SetI2CDevice(const char* path, std::uint32_t address) {
  return Library().SetI2CDevice(path, address);
}

TESSEL_EXPORT std::uint8_t ReadECRAM(const std::uint8_t* frame, std::uint32_t frameLength,
                                     std::uint8_t* reply, std::uint32_t replyLength) {
  try {
    return Library().ReadECRAM(frame, frameLength, reply, replyLength);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT std::uint8_t WriteECRAM(const std::uint8_t* data, std::uint32_t length) {
  try {
    return Library().WriteECRAM(data, length);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT void ReleaseECRAM() { Library().ReleaseECRAM(); }

TESSEL_EXPORT std::uint32_t InitI2CDevice() {
  try {
    return Library().InitI2CDevice();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

TESSEL_EXPORT void GetI2CDevice(char (*paths)[260], std::uint32_t* addresses) {
  Library().GetI2CDevice(paths, addresses);
}

// The exports must keep the signatures the program binds them with.
static_assert(std::is_same_v<decltype(&GetECRAM), BridgeGetEcRamFn>);
static_assert(std::is_same_v<decltype(&SetI2CDevice), BridgeSetI2cDeviceFn>);
static_assert(std::is_same_v<decltype(&ReadECRAM), BridgeReadEcRamFn>);
static_assert(std::is_same_v<decltype(&WriteECRAM), BridgeWriteEcRamFn>);
static_assert(std::is_same_v<decltype(&ReleaseECRAM), BridgeReleaseEcRamFn>);
static_assert(std::is_same_v<decltype(&InitI2CDevice), BridgeInitI2cDeviceFn>);
static_assert(std::is_same_v<decltype(&GetI2CDevice), BridgeGetI2cDeviceFn>);
