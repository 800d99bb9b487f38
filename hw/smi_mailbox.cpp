#include "hw/smi_mailbox.h"

#include "hw/ec_calls.h"
#include "hw/ec_library.h"

#include <cstdlib>
#include <cstring>

namespace hw {
namespace {

void PutWord(std::uint8_t* bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

constexpr std::uint16_t kCmosIndexPort = 0x72;
constexpr std::uint16_t kCmosDataPort = 0x73;
constexpr std::size_t kCmosPointerOffset = 0x43;
constexpr std::uint32_t kFirmwarePointerOffset = 0xDC;
constexpr char kAreaSignature[] = "$ECMA$";

}  // namespace

std::uint8_t* MailboxBytes(SmiMailbox* mailbox) { return reinterpret_cast<std::uint8_t*>(mailbox); }

void RunMailboxCommand(SmiMailbox* mailbox, const MailboxCommand& command) {
  std::uint8_t* bytes = MailboxBytes(mailbox);
  std::memset(bytes, 0, command.clearUpTo);
  PutWord(bytes, 0, 0x0001);
  PutWord(bytes, 2, command.commandClass);
  PutWord(bytes, 8, command.function);
  bytes[10] = command.batteryIndex;
  bytes[11] = command.direction;
  PutWord(bytes, 16, command.argument);
  EcPortWrite8(kSoftwareSmiPort, kSoftwareSmiValue);
}

std::uint8_t MailboxResultByte(SmiMailbox* mailbox) { return MailboxBytes(mailbox)[kMailboxResultOffset]; }

std::uint16_t MailboxResultWord(SmiMailbox* mailbox) {
  const std::uint8_t* bytes = MailboxBytes(mailbox) + kMailboxResultOffset;
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

SmiMailbox* LocateSmiMailbox() {
  const EcLibraryTable& ec = EcLibrary();
  if (ec.IndexIO == nullptr || ec.ReadPhyMemory == nullptr || ec.MAPPHYSTOLIN == nullptr ||
      ec.UNMAPPHYSADDR == nullptr) {
    return nullptr;
  }
  std::uint8_t cmos[kCmosBankSize] = {};
  ec.IndexIO(kCmosIndexPort, kCmosDataPort, cmos);
  const std::uint32_t tablePointer = LittleEndian32(cmos + kCmosPointerOffset);

  EcBufferDescriptor descriptor{static_cast<std::uint8_t*>(std::calloc(4, 1)), 4};
  if (descriptor.data == nullptr) return nullptr;
  ec.ReadPhyMemory(&descriptor, tablePointer + kFirmwarePointerOffset, 0, 4);
  const std::uint32_t area = descriptor.size >= 4 ? LittleEndian32(descriptor.data) : 0;
  std::free(descriptor.data);
  if (area == 0) return nullptr;

  EcMapBlock map{};
  map.physicalLow = area;
  map.length = kMailboxAreaSize;
  ec.MAPPHYSTOLIN(&map);
  auto* linear = static_cast<std::uint8_t*>(EcMapBlockLinear(map));
  if (linear == nullptr) return nullptr;
  if (std::memcmp(linear, kAreaSignature, 6) != 0) {
    ec.UNMAPPHYSADDR(&map);
    return nullptr;
  }
  // The mapping stays for the life of the process.
  return reinterpret_cast<SmiMailbox*>(linear + kMailboxOffsetInArea);
}

}  // namespace hw
