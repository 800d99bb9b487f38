#include "hw/ec_calls.h"

namespace hw {

std::uint8_t EcRamRead(std::uint16_t address) {
  auto read = EcLibrary().ECMem3r;
  if (read == nullptr) return 0;
  EcMemBlock block{};
  block.address = address;
  read(&block);
  return block.data;
}

void EcRamWrite(std::uint16_t address, std::uint8_t value) {
  auto write = EcLibrary().ECMem3w;
  if (write == nullptr) return;
  EcMemBlock block{};
  block.address = address;
  block.value = value;
  write(&block);
}

std::uint8_t EcRomRead(std::uint16_t address) {
  auto read = EcLibrary().RomRead;
  if (read == nullptr) return 0;
  EcMemBlock block{};
  block.address = address;
  read(&block);
  return block.data;
}

bool EcExtCommand(EcExtCmdBlock& block) {
  auto command = EcLibrary().Ext3rdCmd;
  if (command == nullptr) return false;
  command(&block);
  return true;
}

void EcPortWrite8(std::uint16_t port, std::uint8_t value) {
  auto write = EcLibrary().IOWrite8;
  if (write != nullptr) write(port, value);
}

}  // namespace hw
