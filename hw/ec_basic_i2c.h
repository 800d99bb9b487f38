// EC access over I2C: every access is one command frame sent with the bridge's ReadECRAM.
#pragma once

#include "hw/iec_basic.h"

#include <cstddef>

namespace hw {

// One frame exchange through the bridge table; false when the bridge is not bound or fails.
bool BridgeExchange(const std::uint8_t* frame, std::uint32_t frameLength, std::uint8_t* reply,
                    std::uint32_t replyLength);

class EcBasicI2c : public IEcBasic {
 public:
  std::uint8_t GetEcState() override;
  std::uint16_t GetChipId() override;
  std::uint8_t GetChipRevision() override;
  char* GetVersionString(char* out) override;
  std::uint8_t ReadByte(std::uint16_t address) override;
  void WriteByte(std::uint16_t address, std::uint8_t value) override;
};

}  // namespace hw
