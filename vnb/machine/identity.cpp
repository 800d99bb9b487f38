#include "vnb/machine/identity.h"

#include <cstring>

namespace vnb {

std::uint16_t ThrottleCurrentFromChar(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint16_t>(250 * (c - '0'));
  if (c == 'A') return 2500;
  if (c >= 'B' && c <= 'Z') return static_cast<std::uint16_t>(3000 + 500 * (c - 'B'));
  if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(2750 + 500 * (c - 'a'));
  return 0;
}

std::uint16_t ThrottleTemperatureFromChar(char c) {
  if (c == '0') return 0;
  if (c >= '1' && c <= '8') return static_cast<std::uint16_t>(50 + 5 * (c - '1'));
  if (c == '9') return 255;
  return 0;
}

std::uint16_t VeryLowVoltageFromChar(char c) {
  if (c >= 'A' && c <= 'M') return static_cast<std::uint16_t>(200 + 10 * (c - 'A'));
  if (c >= 'a' && c <= 'm') return static_cast<std::uint16_t>(205 + 10 * (c - 'a'));
  return 0;
}

char PackConfigChar(std::uint8_t series, std::uint8_t parallel) {
  struct Entry {
    std::uint8_t series, parallel;
    char c;
  };
  static const Entry kTable[] = {{2, 1, 'A'}, {3, 1, 'B'}, {4, 1, 'C'}, {2, 2, 'D'}, {3, 2, 'E'},
                                 {4, 2, 'F'}, {2, 3, 'G'}, {3, 3, 'H'}, {4, 3, 'I'}, {3, 4, 'J'}};
  for (const Entry& e : kTable) {
    if (e.series == series && e.parallel == parallel) return e.c;
  }
  return '?';
}

namespace {

void SetText(char* out, std::size_t size, const char* text) {
  std::memset(out, 0, size);
  std::memcpy(out, text, strnlen(text, size - 1));
}

}  // namespace

PackIdentity StockPack(std::size_t slot) {
  PackIdentity id{};
  if (slot == 0) {
    // "NV" key words, revision 1, gauge '5', battery id "A2", 5.0 A, 70 C, 3.0 V, then the
    // configuration character of the cells below.
    id.seriesCells = 3;
    id.parallelCells = 2;
    char name[11] = "NV15A2F5K?";
    name[9] = PackConfigChar(id.seriesCells, id.parallelCells);
    SetText(id.manufacturerName, sizeof id.manufacturerName, name);
    SetText(id.deviceName, sizeof id.deviceName, "VX3S44A");
    SetText(id.chemistry, sizeof id.chemistry, "LTS0");  // cylindrical Li-ion cells
    id.designCapacity = 4400;
    id.designVoltage = 11100;
    id.ccCurrent = 2200;
    id.cellChargeVoltage = 4200;
    id.serialNumber = 0x1A2B;
    id.manufactureDate = static_cast<std::uint16_t>((2024 - 1980) * 512 + 3 * 32 + 14);
    id.cellImbalance[0] = 9;
    id.cellImbalance[1] = -4;
    id.cellImbalance[2] = -5;
    id.cellImbalance[3] = 0;
  } else {
    // Revision 1, gauge '8', battery id "7H", 3.0 A, 75 C, 3.05 V.
    id.seriesCells = 4;
    id.parallelCells = 1;
    char name[11] = "NV187HB6k?";
    name[9] = PackConfigChar(id.seriesCells, id.parallelCells);
    SetText(id.manufacturerName, sizeof id.manufacturerName, name);
    SetText(id.deviceName, sizeof id.deviceName, "VX4S28B");
    SetText(id.chemistry, sizeof id.chemistry, "PGD1");  // prismatic Li-ion cells
    id.designCapacity = 2800;
    id.designVoltage = 14800;
    id.ccCurrent = 1400;
    id.cellChargeVoltage = 4200;
    id.serialNumber = 0x0C4F;
    id.manufactureDate = static_cast<std::uint16_t>((2023 - 1980) * 512 + 11 * 32 + 2);
    id.cellImbalance[0] = -6;
    id.cellImbalance[1] = 3;
    id.cellImbalance[2] = 7;
    id.cellImbalance[3] = -4;
  }
  return id;
}

}  // namespace vnb
