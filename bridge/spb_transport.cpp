#include "bridge/spb_transport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace bridge {
namespace {

constexpr std::uint8_t kSerialBusDescriptor = 0x8E;
constexpr std::uint8_t kSerialBusI2c = 1;

// Where the fields of the serial-bus descriptor sit in the query's output.
struct DescriptorLayout {
  std::size_t typeOffset;
  std::size_t dataLengthOffset;
  std::size_t addressOffset;
  bool checksByte15;
};

constexpr DescriptorLayout kNewDescriptor{13, 18, 24, false};
constexpr DescriptorLayout kOldDescriptor{12, 17, 23, true};
constexpr std::size_t kTagOffset = 8;
constexpr std::size_t kPathBase = 20;  // the path follows the L bytes of type-specific data

std::uint16_t ReadU16(const std::uint8_t* bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void WriteLine(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace

SpbTransport::~SpbTransport() { CloseDevice(); }

void SpbTransport::CloseDevice() {
  if (deviceHandle_ == kHubInvalidHandle) return;
  ops_.CloseHandle(deviceHandle_);
  deviceHandle_ = kHubInvalidHandle;
}

bool SpbTransport::ParseDescriptor(const std::uint8_t* out, std::uint32_t returned, bool newLayout,
                                   std::uint32_t id, I2cConnection& entry) {
  const DescriptorLayout& layout = newLayout ? kNewDescriptor : kOldDescriptor;
  const std::size_t available = returned < kConnectionQueryOutputLength
                                    ? returned
                                    : kConnectionQueryOutputLength;
  // Every fixed field read must have been returned; stale or short answers are no connection.
  if (available < layout.addressOffset + 2) return false;
  if (out[kTagOffset] != kSerialBusDescriptor) return false;
  if (out[layout.typeOffset] != kSerialBusI2c) return false;
  if (layout.checksByte15 && out[15] != 0) return false;

  const std::size_t pathOffset = kPathBase + ReadU16(out, layout.dataLengthOffset);
  if (pathOffset >= available) return false;
  const char* path = reinterpret_cast<const char*>(out + pathOffset);
  std::size_t length = strnlen(path, available - pathOffset);
  if (length > kPathCapacity - 1) length = kPathCapacity - 1;

  entry = I2cConnection{};
  entry.idLow = id;
  entry.idHigh = 0;
  entry.slaveAddress = ReadU16(out, layout.addressOffset);
  std::memcpy(entry.resourcePath, path, length);
  entry.resourcePath[length] = '\0';
  return true;
}

bool SpbTransport::EnumerateConnections() {
  HubOsVersionInfo version{};
  version.size = sizeof version;
  if (!ops_.GetVersion(version)) return false;
  const bool newLayout = version.buildNumber > kLastOldLayoutBuild;

  const HubHandle hub = ops_.CreateFile(kResourceHubName, kHubGenericRead | kHubGenericWrite, 0,
                                        kHubOpenExisting, 0);
  if (hub == kHubInvalidHandle) return false;

  std::array<std::uint8_t, kConnectionQueryOutputLength> out{};
  table_.Clear();
  for (std::uint32_t id = 0; id <= kLastConnectionId; ++id) {
    std::uint8_t in[kConnectionQueryInputLength] = {};
    const std::uint64_t connectionId = id;
    std::memcpy(in + 8, &connectionId, sizeof connectionId);
    // A fresh buffer per id, so nothing of an earlier answer can pass for this one.
    out.fill(0);
    std::uint32_t returned = 0;
    const int result = ops_.DeviceIoControl(hub, kIoctlHubQueryConnectionProperties, in,
                                            sizeof in, out.data(), kConnectionQueryOutputLength,
                                            &returned);
    I2cConnection entry;
    if (result == 1 && ParseDescriptor(out.data(), returned, newLayout, id, entry)) {
      table_.Append(entry);
    }
  }
  ops_.CloseHandle(hub);
  return true;
}

bool SpbTransport::OpenI2cDevice(const char* path, std::uint32_t address) {
  if (table_.Empty()) return false;
  CloseDevice();
  const auto lowByte = static_cast<std::uint16_t>(address & 0xFFu);
  for (const I2cConnection& entry : table_) {
    if (entry.slaveAddress != lowByte || std::strcmp(entry.resourcePath, path) != 0) continue;
    char name[kPathCapacity];
    std::snprintf(name, sizeof name, "%s\\00000000%08lx", kResourceHubName,
                  static_cast<unsigned long>(entry.idLow));
    deviceHandle_ = ops_.CreateFile(name, kHubGenericRead | kHubGenericWrite,
                                    kHubShareRead | kHubShareWrite, kHubOpenExisting,
                                    kHubAttributeNormal);
    return deviceHandle_ != kHubInvalidHandle;
  }
  return false;
}

bool SpbTransport::UseWideTransferList() {
  // The list follows the word size of the system, not of the process.
  bool wow64 = false;
  if (HubIsWow64ProcessFn isWow64Process = ops_.LookupIsWow64Process()) {
    int answer = 0;
    wow64 = isWow64Process(ops_.GetCurrentProcess(), &answer) != 0 && answer != 0;
  }
  return ops_.ProcessIs64Bit() || wow64;
}

bool SpbTransport::ExecuteSequence(const TransferRequest& request) {
  if (deviceHandle_ == kHubInvalidHandle) {
    WriteLine("Device Not Open");
    return false;
  }
  const SpbTransferList list = BuildTransferList(request, UseWideTransferList());
  std::uint32_t returned = 0;
  if (ops_.DeviceIoControl(deviceHandle_, kIoctlSpbExecuteSequence, list.bytes.data(), list.length,
                           nullptr, 0, &returned) == 0) {
    // The code is shown as the signed 32-bit value the system reports.
    const auto code = static_cast<std::int32_t>(ops_.GetLastError());
    std::printf("DeviceIoControl IOCTL_SPB_EXECUTE_SEQUENCE failed(errCode:%ld).\n",
                static_cast<long>(code));
    std::fflush(stdout);
    return false;
  }
  return true;
}

}  // namespace bridge
