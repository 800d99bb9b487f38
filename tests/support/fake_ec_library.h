// A small in-test EC library: EC RAM and ROM arrays, a recording extended-command handler, a
// CMOS bank, physical memory holding a mailbox area whose fake firmware runs on the 0xB2
// trigger. Installing it fills the process's EC library table with its entries.
#pragma once

#include "hw/ec_library.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace fake {

struct ExtCall {
  std::uint8_t command;
  std::vector<std::uint8_t> written;
  friend bool operator==(const ExtCall&, const ExtCall&) = default;
};

class FakeEcLibrary {
 public:
  FakeEcLibrary() {
    instance() = this;
    hw::EcLibraryTable& table = hw::EcLibrary();
    table = hw::EcLibraryTable{};
    table.ECMem3r = [](EcMemBlock* b) { instance()->calls++; instance()->ramReads.push_back(b->address); b->data = instance()->ReadRam(b->address); };
    table.ECMem3w = [](EcMemBlock* b) {
      instance()->calls++;
      instance()->ramWrites.push_back({b->address, static_cast<std::uint8_t>(b->value & 0xFF)});
      instance()->ram[b->address] = static_cast<std::uint8_t>(b->value & 0xFF);
    };
    table.RomRead = [](EcMemBlock* b) { instance()->calls++; b->data = instance()->rom[b->address % instance()->rom.size()]; };
    table.Ext3rdCmd = [](EcExtCmdBlock* b) {
      FakeEcLibrary& self = *instance();
      self.calls++;
      self.extCalls.push_back({b->command, std::vector<std::uint8_t>(b->data, b->data + b->writeCount)});
      if (self.onExt) self.onExt(*b);
    };
    table.IOWrite8 = [](std::uint16_t port, std::uint8_t value) {
      FakeEcLibrary& self = *instance();
      self.calls++;
      if (port == 0xB2 && value == 0xAA && self.firmware) {
        std::memcpy(self.lastTrigger.data(), self.area.data() + 8, self.lastTrigger.size());
        self.firmware(self.area.data() + 8);
      }
    };
    table.IndexIO = [](std::uint16_t, std::uint16_t, std::uint8_t* buffer) {
      instance()->calls++;
      std::memcpy(buffer, instance()->cmos.data(), instance()->cmos.size());
    };
    table.ReadPhyMemory = [](EcBufferDescriptor* d, std::uint32_t low, std::uint32_t, std::uint32_t length) {
      FakeEcLibrary& self = *instance();
      self.calls++;
      for (std::uint32_t i = 0; i < length && i < d->size; ++i) d->data[i] = self.PhysicalByte(low + i);
    };
    table.MAPPHYSTOLIN = [](EcMapBlock* m) {
      FakeEcLibrary& self = *instance();
      self.calls++;
      self.maps.push_back(m->physicalLow);
      std::uint8_t* linear = m->physicalLow == self.areaAddress ? self.area.data() : self.otherArea.data();
      const auto address = reinterpret_cast<std::uintptr_t>(linear);
      m->linearLow = static_cast<std::uint32_t>(address);
      m->linearHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(address) >> 32);
    };
    table.UNMAPPHYSADDR = [](EcMapBlock* m) { instance()->calls++; instance()->unmaps.push_back(m->physicalLow); };
  }
  ~FakeEcLibrary() {
    hw::ClearEcLibrary();
    instance() = nullptr;
  }
  FakeEcLibrary(const FakeEcLibrary&) = delete;
  FakeEcLibrary& operator=(const FakeEcLibrary&) = delete;

  std::uint8_t ReadRam(std::uint16_t address) { return onRamRead ? onRamRead(address) : ram[address]; }
  void PutRamWord(std::uint16_t lo, std::uint16_t hi, std::uint16_t value) {
    ram[lo] = static_cast<std::uint8_t>(value & 0xFF);
    ram[hi] = static_cast<std::uint8_t>(value >> 8);
  }
  // Physical memory: CMOS pointer X at 0x43, firmware pointer P at X + 0xDC.
  void PlaceMailbox(std::uint32_t tableAddress, std::uint32_t areaPhysical, const char* signature = "$ECMA$") {
    for (int i = 0; i < 4; ++i) cmos[0x43 + i] = static_cast<std::uint8_t>(tableAddress >> (8 * i));
    physicalDwords[tableAddress + 0xDC] = areaPhysical;
    areaAddress = areaPhysical;
    std::memcpy(area.data(), signature, 6);
  }
  std::uint8_t PhysicalByte(std::uint32_t address) {
    for (auto& [start, dword] : physicalDwords) {
      if (address >= start && address < start + 4) return static_cast<std::uint8_t>(dword >> (8 * (address - start)));
    }
    return 0;
  }
  std::uint8_t* Mailbox() { return area.data() + 8; }

  std::array<std::uint8_t, 0x10000> ram{};
  std::array<std::uint8_t, 0x2000> rom{};
  std::array<std::uint8_t, 288> cmos{};
  std::map<std::uint32_t, std::uint32_t> physicalDwords;
  std::uint32_t areaAddress = 0;
  std::array<std::uint8_t, 512> area{};
  std::array<std::uint8_t, 512> otherArea{};
  std::array<std::uint8_t, 40> lastTrigger{};  // the block (and the bytes after it) as the firmware received it

  std::function<std::uint8_t(std::uint16_t)> onRamRead;
  std::function<void(EcExtCmdBlock&)> onExt;
  std::function<void(std::uint8_t* block)> firmware;

  std::vector<std::uint16_t> ramReads;
  std::vector<std::pair<std::uint16_t, std::uint8_t>> ramWrites;
  std::vector<ExtCall> extCalls;
  std::vector<std::uint32_t> maps, unmaps;
  long calls = 0;

 private:
  static FakeEcLibrary*& instance() {
    static FakeEcLibrary* current = nullptr;
    return current;
  }
};

}  // namespace fake
