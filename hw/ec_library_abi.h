// Binary interface of the EC port-I/O library "Brantel.dll": the parameter blocks and the
// signature of every export. The program binds these by name at run time; the library
// implements them with C linkage.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// {data, size}: storage the library may grow through the registered resize callback.
struct EcBufferDescriptor {
  std::uint8_t* data;
  std::uint32_t size;
};

// Gives the descriptor new storage of newSize bytes filled with 0xCD, keeps the first
// min(old, new) bytes and frees the old storage.
using EcBufResizeCallback = void (*)(EcBufferDescriptor* descriptor, std::uint32_t newSize);

// ECMem3r / RomRead: address in, one byte out at offset 4.
// ECMem3w: address in, value at offset 4 (only its low byte is written).
struct EcMemBlock {
  std::uint16_t address;
  std::uint8_t reserved[2];
  union {
    std::uint8_t data;
    std::uint32_t value;
  };
};
static_assert(offsetof(EcMemBlock, address) == 0);
static_assert(offsetof(EcMemBlock, data) == 4);
static_assert(offsetof(EcMemBlock, value) == 4);
static_assert(sizeof(EcMemBlock) == 8);

// Ext3rdCmd: command, bytes to write, bytes to read, then the bytes from offset 3. The bytes
// read replace the written ones from offset 3.
inline constexpr std::size_t kExtCmdDataSize = 32;
struct EcExtCmdBlock {
  std::uint8_t command;
  std::uint8_t writeCount;
  std::uint8_t readCount;
  std::uint8_t data[kExtCmdDataSize];
};
static_assert(offsetof(EcExtCmdBlock, data) == 3);

// MAPPHYSTOLIN / UNMAPPHYSADDR. The linear address comes out as 32 bits at offset 8; a
// 64-bit process takes the following reserved word as its high half.
struct EcMapBlock {
  std::uint32_t physicalLow;
  std::uint32_t physicalHigh;
  std::uint32_t linearLow;
  std::uint32_t linearHigh;
  std::uint32_t length;
};
static_assert(offsetof(EcMapBlock, linearLow) == 8);
static_assert(offsetof(EcMapBlock, linearHigh) == 12);
static_assert(offsetof(EcMapBlock, length) == 16);
static_assert(sizeof(EcMapBlock) == 20);

inline void* EcMapBlockLinear(const EcMapBlock& block) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(
      (static_cast<std::uint64_t>(block.linearHigh) << 32) | block.linearLow));
}

// LoadECDriver: 0 = failure, 1 = direct port I/O, other = address of the firmware's WMI buffer.
using EcLoadDriverFn = std::uint32_t (*)();
using EcUnloadDriverFn = void (*)();
using EcSetBufResizeCallbackFn = void (*)(EcBufResizeCallback callback);
using EcMemFn = void (*)(EcMemBlock* block);           // ECMem3r, ECMem3w, RomRead
using EcExtCmdFn = void (*)(EcExtCmdBlock* block);     // Ext3rdCmd
using EcIoWrite8Fn = void (*)(std::uint16_t port, std::uint8_t value);
// Fills the 288-byte buffer with the bank behind the index/data port pair, one byte per index.
using EcIndexIoFn = void (*)(std::uint16_t indexPort, std::uint16_t dataPort, std::uint8_t* buffer);
using EcReadPhyMemoryFn = void (*)(EcBufferDescriptor* descriptor, std::uint32_t addressLow,
                                   std::uint32_t addressHigh, std::uint32_t length);
using EcMapFn = void (*)(EcMapBlock* block);           // MAPPHYSTOLIN, UNMAPPHYSADDR
// Exports the program binds but never calls.
using EcUnusedFn = std::uint32_t (*)();

}  // extern "C"

inline constexpr std::size_t kCmosBankSize = 288;
