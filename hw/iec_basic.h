// IEcBasic: the system's door to the EC for everything that is not a battery value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hw {

inline constexpr std::uint32_t kProjectClassSl = 0x1000;
inline constexpr std::uint32_t kProjectClassKl = 0x2000;
inline constexpr std::size_t kVersionBufferSize = 32;  // the caller's buffer of GetVersionString

class IEcBasic {
 public:
  // Slot order is part of the design; do not reorder.
  virtual std::uint8_t GetEcState() = 0;
  // First byte in the high half; 0xFFFF means no chip identifier is available.
  virtual std::uint16_t GetChipId() = 0;
  virtual std::uint8_t GetChipRevision() = 0;
  // Writes the version text into `out` (32 bytes) and returns it.
  virtual char* GetVersionString(char* out) = 0;
  virtual std::uint8_t ReadByte(std::uint16_t address) = 0;
  virtual void WriteByte(std::uint16_t address, std::uint8_t value) = 0;
  virtual ~IEcBasic() = default;

  // Classifies the firmware by characters 3 and 4 of versionText: "SL" -> 0x1000,
  // "KL"/"AP" -> 0x2000, anything else leaves projectClass unchanged.
  std::uint32_t GetProjectClass();

  std::uint8_t alternateMap = 0;  // 1: second EC address layout (0x2000 reads 0xFF)
  char versionText[35] = {};
  std::uint32_t projectClass = 0;
};

}  // namespace hw
