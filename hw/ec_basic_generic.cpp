#include "hw/ec_basic_generic.h"

#include "hw/ec_calls.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace hw {

void EcBasicGeneric::Run(std::uint16_t function) {
  MailboxCommand command;
  command.commandClass = kMailboxClassEc;
  command.function = function;
  RunMailboxCommand(mailbox, command);
}

std::uint8_t EcBasicGeneric::GetEcState() {
  Run(1);
  return MailboxResultByte(mailbox);
}

std::uint16_t EcBasicGeneric::GetChipId() {
  Run(2);
  // The first result byte is the high half: swap the pair in the block, then take the word.
  std::uint8_t* bytes = MailboxBytes(mailbox) + kMailboxResultOffset;
  std::swap(bytes[0], bytes[1]);
  return MailboxResultWord(mailbox);
}

std::uint8_t EcBasicGeneric::GetChipRevision() {
  Run(3);
  return MailboxResultByte(mailbox);
}

char* EcBasicGeneric::GetVersionString(char* out) {
  Run(4);
  const auto* result = reinterpret_cast<const char*>(MailboxBytes(mailbox) + kMailboxResultOffset);
  std::memset(versionText, 0, sizeof versionText);
  std::strncpy(versionText, result, 6);
  std::snprintf(out, kVersionBufferSize, "%.31s", versionText);
  return out;
}

std::uint8_t EcBasicGeneric::ReadByte(std::uint16_t address) { return EcRamRead(address); }

void EcBasicGeneric::WriteByte(std::uint16_t address, std::uint8_t value) { EcRamWrite(address, value); }

}  // namespace hw
