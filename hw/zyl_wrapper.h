// IZylWapper: Smart Battery reads through the firmware's ACPI method, which executes a
// 48-byte exchange buffer in place. Two flavours reach the method: the hot-key device's
// object (CZyl0100) and a WMI method of the ACPI library (CZylWMI).
#pragma once

#include <cstddef>
#include <cstdint>

namespace hw {

inline constexpr std::size_t kAcpiBufferSize = 48;
inline constexpr std::size_t kAcpiBlockOffset = 16;
inline constexpr std::uint8_t kSmartBatteryAddress = 0x16;

class IZylWapper {
 public:
  virtual ~IZylWapper() = default;   // slot 0: releases what the flavour acquired
  virtual std::uint32_t Execute() = 0;  // slot 1: runs the ACPI method on acpiBuffer

  // Each returns 0 (and copies nothing) while there is no exchange buffer.
  std::uint8_t SmbusReadByte(std::uint8_t selector, std::uint8_t command);
  std::uint16_t SmbusReadWord(std::uint8_t selector, std::uint8_t command);
  // Copies n bytes of the block result (at most the 32 the buffer holds after offset 16).
  void SmbusReadBlock(std::uint8_t selector, std::uint8_t command, std::uint8_t* destination,
                      std::size_t n);

  std::uint8_t* acpiBuffer = nullptr;

 private:
  bool Request(std::uint8_t selector, std::uint8_t protocol, std::uint8_t command);
};

}  // namespace hw
