// The firmware's SMI mailbox: a 32-byte command block 8 bytes into a 512-byte physical area
// that begins with "$ECMA$". The firmware executes the block when 0xAA is written to the
// software SMI port 0xB2; it reports no status.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hw {

struct SmiMailbox {
  std::uint8_t bytes[32];  // results may run past the block, into the rest of the area
};

inline constexpr std::uint16_t kMailboxClassEc = 0x0010;
inline constexpr std::uint16_t kMailboxClassBattery = 0x0012;
inline constexpr std::size_t kMailboxResultOffset = 24;
inline constexpr std::size_t kMailboxAreaSize = 0x200;
inline constexpr std::size_t kMailboxOffsetInArea = 8;
inline constexpr std::uint16_t kSoftwareSmiPort = 0xB2;
inline constexpr std::uint8_t kSoftwareSmiValue = 0xAA;
inline constexpr std::uint8_t kMailboxGet = 1;
inline constexpr std::uint8_t kMailboxSet = 0;

struct MailboxCommand {
  std::uint16_t commandClass = kMailboxClassEc;
  std::uint16_t function = 0;
  std::uint8_t batteryIndex = 0;
  std::uint8_t direction = kMailboxGet;
  std::uint16_t argument = 0;
  // Name functions read past the block: their result bytes 24..33 are cleared too, so a
  // firmware that fills fewer never leaves the previous command's bytes behind.
  std::size_t clearUpTo = sizeof(SmiMailbox);
};

// Clears, fills and triggers one command; the result is then at offset 24.
void RunMailboxCommand(SmiMailbox* mailbox, const MailboxCommand& command);

std::uint8_t* MailboxBytes(SmiMailbox* mailbox);
std::uint8_t MailboxResultByte(SmiMailbox* mailbox);
std::uint16_t MailboxResultWord(SmiMailbox* mailbox);

// Finds the mailbox through the upper CMOS bank and the firmware's pointer; null when the
// pointer is 0, the area is not marked "$ECMA$", or the EC library is not bound.
SmiMailbox* LocateSmiMailbox();

}  // namespace hw
