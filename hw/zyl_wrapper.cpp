#include "hw/zyl_wrapper.h"

#include <algorithm>
#include <cstring>

namespace hw {
namespace {

constexpr std::uint8_t kProtocolReadByte = 7;
constexpr std::uint8_t kProtocolReadWord = 9;
constexpr std::uint8_t kProtocolReadBlock = 11;

}  // namespace

bool IZylWapper::Request(std::uint8_t selector, std::uint8_t protocol, std::uint8_t command) {
  if (acpiBuffer == nullptr) return false;
  std::memset(acpiBuffer, 0, kAcpiBufferSize);
  acpiBuffer[0] = 48;
  acpiBuffer[2] = 2;
  acpiBuffer[4] = 48;
  acpiBuffer[8] = selector;
  acpiBuffer[9] = protocol;
  acpiBuffer[10] = kSmartBatteryAddress;
  acpiBuffer[11] = command;
  Execute();  // the method's own result says nothing about the read
  return true;
}

std::uint8_t IZylWapper::SmbusReadByte(std::uint8_t selector, std::uint8_t command) {
  if (!Request(selector, kProtocolReadByte, command)) return 0;
  return acpiBuffer[12];
}

std::uint16_t IZylWapper::SmbusReadWord(std::uint8_t selector, std::uint8_t command) {
  if (!Request(selector, kProtocolReadWord, command)) return 0;
  return static_cast<std::uint16_t>(acpiBuffer[13] * 256 + acpiBuffer[12]);
}

void IZylWapper::SmbusReadBlock(std::uint8_t selector, std::uint8_t command,
                                std::uint8_t* destination, std::size_t n) {
  if (!Request(selector, kProtocolReadBlock, command)) return;
  std::memcpy(destination, acpiBuffer + kAcpiBlockOffset,
              std::min(n, kAcpiBufferSize - kAcpiBlockOffset));
}

}  // namespace hw
