// EC access through the firmware mailbox; EC RAM bytes through the third EC RAM window.
#pragma once

#include "hw/iec_basic.h"
#include "hw/smi_mailbox.h"

namespace hw {

class EcBasicGeneric : public IEcBasic {
 public:
  explicit EcBasicGeneric(SmiMailbox* mailboxBlock) : mailbox(mailboxBlock) {}

  std::uint8_t GetEcState() override;
  std::uint16_t GetChipId() override;
  std::uint8_t GetChipRevision() override;
  char* GetVersionString(char* out) override;
  std::uint8_t ReadByte(std::uint16_t address) override;
  void WriteByte(std::uint16_t address, std::uint8_t value) override;

  SmiMailbox* mailbox;  // not owned: the mapping lives as long as the process

 private:
  void Run(std::uint16_t function);
};

}  // namespace hw
