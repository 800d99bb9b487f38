// "Brantel.dll": the EC port-I/O library, acting on the virtual notebook. Every export the
// program binds is here; the ones it never calls answer 0.
#include "hw/ec_library_abi.h"
#include "hw/ec_library_names.h"
#include "vnb/machine/ec_map.h"
#include "vnb/machine/ec_smbus.h"
#include "vnb/machine/firmware.h"
#include "vnb/machine/machine.h"
#include "vnb/standins/export.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>

namespace {

constexpr std::uint8_t kExtVersionReread = 0xBB;
constexpr std::uint8_t kExtSmbusRead = 0x9A;
constexpr std::uint8_t kExtSmbusWrite = 0x9B;
constexpr std::uint8_t kExtSmbusStart = 0x9C;
constexpr std::uint8_t kVersionIndexBase = 0x20;

// Process-local: the callback lives in this process's address space.
std::atomic<EcBufResizeCallback> g_resizeCallback{nullptr};

void SetLinear(EcMapBlock* block, const void* pointer) {
  const auto value = reinterpret_cast<std::uintptr_t>(pointer);
  block->linearLow = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
  block->linearHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) >> 32);
}

}  // namespace

VNB_EXPORT std::uint32_t LoadECDriver() {
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return 0;
  vnb::Session session(*machine);
  const vnb::MachineState& s = session.state();
  if (s.config.faults & vnb::FaultBit(vnb::Fault::kDriverLoadFail)) return 0;
  return vnb::ProfileAt(s.config.profile).driverReturnsWmiBuffer ? vnb::kPhysAcpiBuffer : 1u;
}

VNB_EXPORT void UnloadECDriver() {}

VNB_EXPORT void SetBufResizeCallback(EcBufResizeCallback callback) { g_resizeCallback.store(callback); }

VNB_EXPORT void ECMem3r(EcMemBlock* block) {
  if (block == nullptr) return;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) {
    block->data = 0xFF;
    return;
  }
  // Polling the busy byte does not wait for a running SMBus transaction.
  const bool busyPoll = block->address == vnb::ec::kSmbusBusy;
  vnb::Session session(*machine, busyPoll ? vnb::HostRequest::kBusyPoll : vnb::HostRequest::kRequest);
  block->data = vnb::EcRamRead(session.state(), block->address);
}

VNB_EXPORT void ECMem3w(EcMemBlock* block) {
  if (block == nullptr) return;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return;
  vnb::Session session(*machine);
  vnb::EcRamWrite(session.state(), block->address, static_cast<std::uint8_t>(block->value & 0xFF));
}

VNB_EXPORT void RomRead(EcMemBlock* block) {
  if (block == nullptr) return;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) {
    block->data = 0xFF;
    return;
  }
  vnb::Session session(*machine);
  block->data = vnb::EcRomRead(session.state(), block->address);
}

VNB_EXPORT void Ext3rdCmd(EcExtCmdBlock* block) {
  if (block == nullptr) return;
  vnb::Machine* machine = vnb::Machine::Process();
  const std::size_t readCount = std::min<std::size_t>(block->readCount, kExtCmdDataSize);
  if (machine == nullptr) {
    std::memset(block->data, 0xFF, readCount);
    return;
  }
  vnb::Session session(*machine);
  vnb::MachineState& s = session.state();
  std::uint8_t reply[kExtCmdDataSize] = {};
  switch (block->command) {
    case kExtVersionReread:
      // Byte i of the version string for 0x20 + i, zero past its end.
      if (block->writeCount >= 1 && block->data[0] >= kVersionIndexBase) {
        char version[9];
        vnb::EffectiveVersion(s, version);
        const std::size_t i = block->data[0] - kVersionIndexBase;
        reply[0] = i < 8 ? static_cast<std::uint8_t>(version[i]) : 0;
      }
      break;
    case kExtSmbusWrite:
      if (block->writeCount >= 2) vnb::SmbusWriteRegister(s, block->data[0], block->data[1]);
      break;
    case kExtSmbusRead:
      if (block->writeCount >= 1) reply[0] = vnb::SmbusReadRegister(s, block->data[0]);
      break;
    case kExtSmbusStart:
      vnb::SmbusStart(s, session.now());
      break;
    default:
      std::memset(reply, 0xFF, sizeof reply);  // the EC ignores unknown commands
      break;
  }
  std::memcpy(block->data, reply, readCount);
}

VNB_EXPORT void IOWrite8(std::uint16_t port, std::uint8_t value) {
  if (port != vnb::kSmiCommandPort) return;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return;
  vnb::Session session(*machine);
  vnb::SoftwareSmi(session.state(), value);
}

VNB_EXPORT void IndexIO(std::uint16_t indexPort, std::uint16_t dataPort, std::uint8_t* buffer) {
  if (buffer == nullptr) return;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) {
    std::memset(buffer, 0xFF, kCmosBankSize);
    return;
  }
  vnb::Session session(*machine);
  vnb::ReadCmosBank(session.state(), indexPort, dataPort, buffer);
}

VNB_EXPORT void ReadPhyMemory(EcBufferDescriptor* descriptor, std::uint32_t addressLow,
                              std::uint32_t addressHigh, std::uint32_t length) {
  if (descriptor == nullptr) return;
  // Grow the caller's buffer first, outside the machine's lock: the callback is the caller's code.
  EcBufResizeCallback resize = g_resizeCallback.load();
  if (descriptor->size < length && resize != nullptr) resize(descriptor, length);
  const std::uint32_t n = std::min(length, descriptor->size);
  if (descriptor->data == nullptr || n == 0) return;
  const std::uint64_t address = static_cast<std::uint64_t>(addressHigh) << 32 | addressLow;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) {
    std::memset(descriptor->data, 0xFF, n);
    return;
  }
  vnb::Session session(*machine);
  vnb::ReadPhys(session.state(), address, descriptor->data, n);
}

VNB_EXPORT void MAPPHYSTOLIN(EcMapBlock* block) {
  if (block == nullptr) return;
  const std::uint64_t address = static_cast<std::uint64_t>(block->physicalHigh) << 32 | block->physicalLow;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr || block->length == 0 || !vnb::IsPhysRange(address, block->length)) {
    SetLinear(block, nullptr);
    return;
  }
  // The firmware's memory is part of this process's mapping of the machine.
  auto* base = reinterpret_cast<std::uint8_t*>(&machine->segment().state());
  SetLinear(block, base + address);
}

// The mapping is the machine's own and stays for the life of the library: nothing to release.
VNB_EXPORT void UNMAPPHYSADDR(EcMapBlock* block) { (void)block; }

#define VNB_UNUSED_EXPORT(name) \
  VNB_EXPORT std::uint32_t name() { return 0; }
PACKWATCH_EC_UNUSED_EXPORTS(VNB_UNUSED_EXPORT)
#undef VNB_UNUSED_EXPORT

// Every called export has exactly the type the program binds it with.
#define VNB_CHECK_TYPE(name, type) static_assert(std::is_same_v<decltype(&name), type>);
PACKWATCH_EC_CALLED_EXPORTS(VNB_CHECK_TYPE)
#undef VNB_CHECK_TYPE
#define VNB_CHECK_UNUSED(name) static_assert(std::is_same_v<decltype(&name), EcUnusedFn>);
PACKWATCH_EC_UNUSED_EXPORTS(VNB_CHECK_UNUSED)
#undef VNB_CHECK_UNUSED
