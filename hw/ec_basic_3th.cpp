#include "hw/ec_basic_3th.h"

#include "hw/ec_calls.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace hw {
namespace {

constexpr std::uint16_t kRomVersionString = 0x118;
constexpr std::uint16_t kRomSignature = 0x10B;
constexpr std::uint16_t kSecondLayoutRomOffset = 0x1000;
constexpr std::uint8_t kExtendedVersionCommand = 0xBB;
// The re-read fills the caller's 32-byte buffer: at most 31 bytes and a terminator.
constexpr std::size_t kMaxExtendedVersionLength = kVersionBufferSize - 1;

bool IsHexDigit(std::uint8_t byte) { return std::isxdigit(byte) != 0; }

}  // namespace

std::uint8_t EcBasic3th::GetEcState() { return 1; }

std::uint16_t EcBasic3th::GetChipId() {
  const std::uint16_t first = alternateMap ? 0xFF1E : 0x2000;
  const std::uint8_t high = EcRamRead(first);
  const std::uint8_t low = EcRamRead(static_cast<std::uint16_t>(first + 1));
  return static_cast<std::uint16_t>((high << 8) | low);
}

std::uint8_t EcBasic3th::GetChipRevision() { return EcRamRead(0x2002); }

char* EcBasic3th::GetVersionString(char* out) {
  const std::uint16_t offset = alternateMap ? kSecondLayoutRomOffset : 0;
  std::uint8_t rom[8];
  for (std::uint16_t i = 0; i < 8; ++i) rom[i] = EcRomRead(static_cast<std::uint16_t>(kRomVersionString + offset + i));
  const std::uint8_t signature0 = EcRomRead(static_cast<std::uint16_t>(kRomSignature + offset));
  const std::uint8_t signature1 = EcRomRead(static_cast<std::uint16_t>(kRomSignature + offset + 1));

  char result[9] = {};
  if (signature0 == 'N' && signature1 == 'V') {
    const std::size_t length = IsHexDigit(rom[6]) && IsHexDigit(rom[7]) ? 8 : 6;
    std::memcpy(result, rom, length);  // a zero byte ends the string
  } else {
    bool allEqual = true;
    for (int i = 1; i < 6; ++i) allEqual = allEqual && rom[i] == rom[0];
    if (allEqual) {
      std::strcpy(result, "FFFFFF");
    } else {
      std::snprintf(result, sizeof result, "%02X%02X%02X", rom[0], rom[1], rom[2]);
    }
  }
  std::snprintf(out, kVersionBufferSize, "%s", result);
  std::memset(versionText, 0, sizeof versionText);
  std::strncpy(versionText, out, sizeof versionText - 1);

  if (GetProjectClass() >= kProjectClassKl) {
    std::size_t i = 0;
    for (; i < kMaxExtendedVersionLength; ++i) {
      EcExtCmdBlock block{};
      block.command = kExtendedVersionCommand;
      block.writeCount = 1;
      block.readCount = 1;
      block.data[0] = static_cast<std::uint8_t>(0x20 + i);
      if (!EcExtCommand(block)) block.data[0] = 0;
      out[i] = static_cast<char>(block.data[0]);
      if (block.data[0] == 0) break;
    }
    out[i] = '\0';  // an EC that never sends a zero byte still leaves a terminated text
    if (out[0] != '\0') {
      std::memset(versionText, 0, sizeof versionText);
      std::strncpy(versionText, out, sizeof versionText - 1);
    }
  }
  return out;
}

std::uint8_t EcBasic3th::ReadByte(std::uint16_t address) { return EcRamRead(address); }

void EcBasic3th::WriteByte(std::uint16_t address, std::uint8_t value) { EcRamWrite(address, value); }

}  // namespace hw
