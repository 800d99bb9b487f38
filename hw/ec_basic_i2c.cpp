#include "hw/ec_basic_i2c.h"

#include "hw/bridge_library.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace hw {
namespace {

constexpr std::uint8_t kIdentifyFrame = 0xEC;
constexpr std::uint8_t kRamFrame = 0xD0;
constexpr std::uint8_t kRamRead = 0x08;
constexpr std::uint8_t kRamWrite = 0x09;

}  // namespace

bool BridgeExchange(const std::uint8_t* frame, std::uint32_t frameLength, std::uint8_t* reply,
                    std::uint32_t replyLength) {
  auto readEcRam = BridgeLibrary().ReadECRAM;
  if (readEcRam == nullptr) return false;
  // Frame and reply live in buffers of their own for the call.
  std::vector<std::uint8_t> frameCopy(frame, frame + frameLength);
  std::vector<std::uint8_t> replyBuffer(replyLength == 0 ? 1 : replyLength, 0);
  const bool ok = readEcRam(frameCopy.data(), frameLength, replyBuffer.data(), replyLength) == 1;
  if (ok && replyLength > 0) std::memcpy(reply, replyBuffer.data(), replyLength);
  return ok;
}

std::uint8_t EcBasicI2c::GetEcState() { return 0; }

std::uint16_t EcBasicI2c::GetChipId() {
  const std::uint8_t high = ReadByte(0x2000);
  const std::uint8_t low = ReadByte(0x2001);
  return static_cast<std::uint16_t>((high << 8) | low);
}

std::uint8_t EcBasicI2c::GetChipRevision() { return 0; }

char* EcBasicI2c::GetVersionString(char* out) {
  const std::uint8_t frame[] = {kIdentifyFrame};
  std::uint8_t reply[8] = {};
  std::memset(versionText, 0, sizeof versionText);
  if (BridgeExchange(frame, sizeof frame, reply, sizeof reply)) {
    std::memcpy(versionText, reply, sizeof reply);  // a zero byte ends the text
  } else {
    std::strcpy(versionText, "FFFFFF");
  }
  std::snprintf(out, kVersionBufferSize, "%.31s", versionText);
  return out;
}

std::uint8_t EcBasicI2c::ReadByte(std::uint16_t address) {
  const std::uint8_t frame[] = {kRamFrame, kRamRead, static_cast<std::uint8_t>(address & 0xFF),
                                static_cast<std::uint8_t>(address >> 8)};
  std::uint8_t value = 0;
  return BridgeExchange(frame, sizeof frame, &value, 1) ? value : 0;
}

void EcBasicI2c::WriteByte(std::uint16_t address, std::uint8_t value) {
  const std::uint8_t frame[] = {kRamFrame, kRamWrite, static_cast<std::uint8_t>(address & 0xFF),
                                static_cast<std::uint8_t>(address >> 8), value};
  BridgeExchange(frame, sizeof frame, nullptr, 0);
}

}  // namespace hw
