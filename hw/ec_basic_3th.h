// EC access through the EC library's third EC RAM window, its ROM read and its extended
// command.
#pragma once

#include "hw/iec_basic.h"

namespace hw {

class EcBasic3th : public IEcBasic {
 public:
  std::uint8_t GetEcState() override;
  std::uint16_t GetChipId() override;
  std::uint8_t GetChipRevision() override;
  char* GetVersionString(char* out) override;
  std::uint8_t ReadByte(std::uint16_t address) override;
  void WriteByte(std::uint16_t address, std::uint8_t value) override;
};

}  // namespace hw
