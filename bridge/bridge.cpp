#include "bridge/bridge.h"

#include <cstring>
#include <vector>

namespace bridge {
namespace {

// Copies at most 259 characters and always terminates.
void CopyPath(char (&target)[kPathCapacity], const char* source) {
  const std::size_t length = source == nullptr ? 0 : strnlen(source, kPathCapacity - 1);
  if (length != 0) std::memcpy(target, source, length);
  target[length] = '\0';
}

}  // namespace

Bridge::Bridge(PlatformOps& ops, BusLock& busLock, std::chrono::milliseconds busLockTimeout)
    : transport_(ops), busLock_(busLock), busLockTimeout_(busLockTimeout) {}

std::uint8_t Bridge::GetECRAM() {
  const bool enumerated = transport_.EnumerateConnections();
  CopyPath(devicePath_, kDefaultDevicePath);
  deviceAddress_ = kDefaultDeviceAddress;
  return enumerated ? 1 : 0;
}

std::uint32_t Bridge::SetI2CDevice(const char* path, std::uint32_t address) {
  CopyPath(devicePath_, path);
  deviceAddress_ = address;
  return address;
}

bool Bridge::Exchange(const TransferRequest& request) {
  if (!busLock_.Acquire(busLockTimeout_)) return false;
  bool done = false;
  if (transport_.OpenI2cDevice(devicePath_, deviceAddress_) && transport_.ExecuteSequence(request)) {
    transport_.CloseDevice();
    done = true;
  }
  busLock_.Release();
  return done;
}

std::uint8_t Bridge::ReadECRAM(const std::uint8_t* frame, std::uint32_t frameLength,
                               std::uint8_t* reply, std::uint32_t replyLength) {
  if ((frame == nullptr && frameLength != 0) || (reply == nullptr && replyLength != 0)) return 0;
  // Private copies: the caller's buffers are touched only before and after the exchange, and a
  // failed exchange hands back zeros rather than leftovers of the heap.
  std::vector<std::uint8_t> privateFrame(frame, frame + frameLength);
  std::vector<std::uint8_t> privateReply(replyLength, 0);
  TransferRequest request;
  request.writeLength = frameLength;
  request.readLength = replyLength;
  request.writeBuffer = privateFrame.data();
  request.readBuffer = privateReply.data();
  const bool done = Exchange(request);
  if (replyLength != 0) std::memcpy(reply, privateReply.data(), replyLength);
  return done ? 1 : 0;
}

std::uint8_t Bridge::WriteECRAM(const std::uint8_t* data, std::uint32_t length) {
  return ReadECRAM(data, length, nullptr, 0);
}

std::uint32_t Bridge::InitI2CDevice() {
  if (!transport_.EnumerateConnections()) return 0;
  return static_cast<std::uint32_t>(transport_.Table().Count());
}

void Bridge::GetI2CDevice(char (*paths)[kPathCapacity], std::uint32_t* addresses) const {
  if (paths == nullptr || addresses == nullptr) return;
  std::size_t index = 0;
  for (const I2cConnection& entry : transport_.Table()) {
    std::memcpy(paths[index], entry.resourcePath, kPathCapacity);
    addresses[index] = entry.slaveAddress;
    ++index;
  }
}

}  // namespace bridge
