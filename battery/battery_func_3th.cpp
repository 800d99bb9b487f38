#include "battery/battery_func_3th.h"

#include "hw/ec_calls.h"

#include <cstring>

namespace battery {
namespace {

constexpr std::uint8_t kExtWriteRegister = 0x9B;
constexpr std::uint8_t kExtReadRegister = 0x9A;
constexpr std::uint8_t kExtStart = 0x9C;
constexpr std::uint8_t kRegProtocol = 0x18;
constexpr std::uint8_t kRegAddress = 0x1A;
constexpr std::uint8_t kRegCommand = 0x1B;
constexpr std::uint8_t kRegDataLow = 0x1C;
constexpr std::uint8_t kRegDataHigh = 0x1D;
constexpr std::uint8_t kProtocolReadWord = 0x09;
constexpr std::uint8_t kProtocolReadBlock = 0x0B;
constexpr std::uint8_t kSmartBattery = 0x16;
constexpr std::size_t kBlockDestinationSize = 8;

// Smart Battery commands.
constexpr std::uint8_t kAverageCurrent = 0x0B;
constexpr std::uint8_t kMaxError = 0x0C;
constexpr std::uint8_t kAbsoluteStateOfCharge = 0x0E;
constexpr std::uint8_t kRunTimeToEmpty = 0x11;
constexpr std::uint8_t kCycleCount = 0x17;
constexpr std::uint8_t kDesignVoltage = 0x19;
constexpr std::uint8_t kSerialNumber = 0x1C;
constexpr std::uint8_t kDeviceName = 0x21;
constexpr std::uint8_t kDeviceChemistry = 0x22;
constexpr std::uint8_t kCellVoltage1 = 0x3F;  // cell n is 0x3F - n

void WriteRegister(std::uint8_t reg, std::uint8_t value) {
  EcExtCmdBlock block{};
  block.command = kExtWriteRegister;
  block.writeCount = 2;
  block.data[0] = reg;
  block.data[1] = value;
  hw::EcExtCommand(block);
}

template <typename Value>
struct KeyedValue {
  char key;
  Value value;
};

template <typename Value, std::size_t N>
Value Lookup(const KeyedValue<Value> (&table)[N], std::uint8_t key) {
  for (const auto& entry : table) {
    if (static_cast<std::uint8_t>(entry.key) == key) return entry.value;
  }
  return Value{};
}

// clang-format off
constexpr KeyedValue<float> kVeryLowVoltage[] = {
  {'A', 2.0f}, {'B', 2.1f}, {'C', 2.2f}, {'D', 2.3f}, {'E', 2.4f}, {'F', 2.5f}, {'G', 2.6f},
  {'H', 2.7f}, {'I', 2.8f}, {'J', 2.9f}, {'K', 3.0f}, {'L', 3.1f}, {'M', 3.2f},
  {'a', 2.05f}, {'b', 2.15f}, {'c', 2.25f}, {'d', 2.35f}, {'e', 2.45f}, {'f', 2.55f}, {'g', 2.65f},
  {'h', 2.75f}, {'i', 2.85f}, {'j', 2.95f}, {'k', 3.05f}, {'l', 3.15f}, {'m', 3.25f},
};
constexpr KeyedValue<std::uint16_t> kThrottleTemperature[] = {
  {'0', 0}, {'1', 50}, {'2', 55}, {'3', 60}, {'4', 65}, {'5', 70}, {'6', 75}, {'7', 80},
  {'8', 85}, {'9', 255},
};
// clang-format on

}  // namespace

float VeryLowVoltageForKey(std::uint8_t key) { return Lookup(kVeryLowVoltage, key); }

std::uint16_t ThrottleTemperatureForKey(std::uint8_t key) { return Lookup(kThrottleTemperature, key); }

float ThrottleCurrentForKey(std::uint8_t key) {
  // Digits 0.0 to 2.25 A in quarter steps, 'A' 2.5 A, 'B'..'Z' 3.0 to 15.0 A and 'a'..'z'
  // 2.75 to 15.25 A in half steps; every value is exact in binary.
  if (key >= '0' && key <= '9') return 0.25f * static_cast<float>(key - '0');
  if (key == 'A') return 2.5f;
  if (key >= 'B' && key <= 'Z') return 3.0f + 0.5f * static_cast<float>(key - 'B');
  if (key >= 'a' && key <= 'z') return 2.75f + 0.5f * static_cast<float>(key - 'a');
  return 0.0f;
}

const BatteryAddressRecord& BatteryFunc3th::Record(std::uint8_t index) const {
  return addressTable[index > 1 ? 1 : index];
}

std::uint8_t BatteryFunc3th::ReadEc(std::uint16_t address) { return hw::EcRamRead(address); }

std::uint16_t BatteryFunc3th::ReadWord(std::uint16_t lo, std::uint16_t hi) {
  const std::uint8_t low = ReadEc(lo);
  const std::uint8_t high = ReadEc(hi);
  return static_cast<std::uint16_t>(high * 256 + low);
}

std::uint16_t BatteryFunc3th::ReadRecordWord(std::uint8_t index, std::size_t loWord, std::size_t hiWord) {
  const BatteryAddressRecord& record = Record(index);
  return ReadWord(record.word[loWord], record.word[hiWord]);
}

std::uint8_t BatteryFunc3th::ReadRecordByte(std::uint8_t index, std::size_t word) {
  return ReadEc(Record(index).word[word]);
}

void BatteryFunc3th::WaitWhileBusy() {
  // The second layout shows a running transaction in a busy byte. An EC that keeps it set
  // must not hang the refresh: after the bound the result is read anyway.
  const auto deadline = clock_.Now() + kSmbusBusyLimit;
  while (ReadEc(kSmbusBusyAddress) == 1 && clock_.Now() < deadline) clock_.Sleep(kSmbusBusyPoll);
}

void BatteryFunc3th::StartTransaction(std::uint8_t protocol, std::uint8_t command) {
  WriteRegister(kRegProtocol, protocol);
  WriteRegister(kRegAddress, kSmartBattery);
  WriteRegister(kRegCommand, command);
  EcExtCmdBlock start{};
  start.command = kExtStart;
  hw::EcExtCommand(start);
  clock_.Sleep(kSmbusPause);
  if (alternateMap) WaitWhileBusy();
}

std::uint8_t BatteryFunc3th::ReadRegister(std::uint8_t reg) {
  EcExtCmdBlock block{};
  block.command = kExtReadRegister;
  block.writeCount = 1;
  block.readCount = 1;
  block.data[0] = reg;
  if (!hw::EcExtCommand(block)) return 0;
  return block.data[0];
}

std::uint16_t BatteryFunc3th::EcSmbusReadWord(std::uint8_t command) {
  StartTransaction(kProtocolReadWord, command);
  const std::uint8_t high = ReadRegister(kRegDataHigh);
  const std::uint8_t low = ReadRegister(kRegDataLow);
  return static_cast<std::uint16_t>(high * 256 + low);
}

std::uint8_t BatteryFunc3th::EcSmbusReadByte(std::uint8_t command) {
  StartTransaction(kProtocolReadWord, command);
  return ReadRegister(kRegDataLow);
}

std::uint8_t BatteryFunc3th::EcSmbusReadBlock(std::uint8_t command, std::uint8_t n, std::uint8_t* destination) {
  const BatteryAddressRecord& first = addressTable[0];
  if (alternateMap) hw::EcRamWrite(first.word[kBlockCount], n);
  StartTransaction(kProtocolReadBlock, command);
  std::uint8_t count = ReadEc(first.word[kBlockCount]);
  // The count is re-read after every byte; the destination holds 8 bytes whatever it says.
  for (std::uint8_t i = 0; i < count && i < kBlockDestinationSize; ++i) {
    destination[i] = ReadEc(static_cast<std::uint16_t>(first.word[kBlockData] + i));
    count = ReadEc(first.word[kBlockCount]);
  }
  return count;
}

std::uint16_t BatteryFunc3th::SmbusWord(std::uint8_t index, std::uint8_t command) {
  const std::uint16_t selector = Record(index).word[kSmbusSelector];
  if (selector == 0) return EcSmbusReadWord(command);
  if (acpiWrapper == nullptr) return 0;
  return acpiWrapper->SmbusReadWord(static_cast<std::uint8_t>(selector), command);
}

std::uint8_t BatteryFunc3th::SmbusByte(std::uint8_t index, std::uint8_t command) {
  const std::uint16_t selector = Record(index).word[kSmbusSelector];
  if (selector == 0) return EcSmbusReadByte(command);
  if (acpiWrapper == nullptr) return 0;
  return acpiWrapper->SmbusReadByte(static_cast<std::uint8_t>(selector), command);
}

wchar_t* BatteryFunc3th::SmbusName(std::uint8_t index, std::uint8_t command, std::uint8_t length,
                                   wchar_t* buffer) {
  std::uint8_t bytes[kBlockDestinationSize] = {};
  const std::uint16_t selector = Record(index).word[kSmbusSelector];
  if (selector == 0) {
    EcSmbusReadBlock(command, length, bytes);
  } else if (acpiWrapper != nullptr) {
    acpiWrapper->SmbusReadBlock(static_cast<std::uint8_t>(selector), command, bytes, length);
  }
  if (buffer == nullptr) return nullptr;
  std::size_t i = 0;
  for (; i < length && bytes[i] != 0; ++i) buffer[i] = static_cast<wchar_t>(bytes[i]);
  buffer[i] = 0;
  buffer[length] = 0;
  return buffer;
}

const wchar_t* BatteryFunc3th::NameCache(std::uint8_t index) {
  wchar_t* cache = nameCache[index > 1 ? 1 : index];
  if (cache[0] == 0) {
    const std::uint16_t first = Record(index).word[kManufacturerName];
    for (std::uint16_t i = 0; i < 10; ++i) cache[i] = static_cast<wchar_t>(ReadEc(static_cast<std::uint16_t>(first + i)));
    cache[10] = 0;
  }
  return cache;
}

std::uint8_t BatteryFunc3th::GetPowerState() { return ReadEc(addressTable[0].word[kPowerState]); }
std::uint8_t BatteryFunc3th::GetBatteryState(std::uint8_t index) { return ReadRecordByte(index, kBatteryState); }
bool BatteryFunc3th::RefreshBlock(std::uint8_t) { return false; }
std::uint8_t BatteryFunc3th::GetAcSourceFlag() { return 0; }
bool BatteryFunc3th::IsCharging(std::uint8_t index) { return (ReadRecordByte(index, kBatteryState) & 0x02) != 0; }
std::uint16_t BatteryFunc3th::GetBatteryMode(std::uint8_t index) { return ReadRecordWord(index, kModeLo, kModeHi); }

float BatteryFunc3th::GetTemperature(std::uint8_t index) {
  // Tenths of a kelvin, in single precision; an EC that mirrors nothing reads 0, not -273.1.
  const float product = static_cast<float>(ReadRecordWord(index, kTemperatureLo, kTemperatureHi)) * 0.1f;
  return product == 0.0f ? 0.0f : product - 273.1f;
}

std::uint16_t BatteryFunc3th::GetVoltage(std::uint8_t index) { return ReadRecordWord(index, kVoltageLo, kVoltageHi); }
std::int16_t BatteryFunc3th::GetCurrent(std::uint8_t index) {
  return static_cast<std::int16_t>(ReadRecordWord(index, kCurrentLo, kCurrentHi));
}
std::int16_t BatteryFunc3th::GetAverageCurrent(std::uint8_t index) {
  return static_cast<std::int16_t>(SmbusWord(index, kAverageCurrent));
}
std::uint8_t BatteryFunc3th::GetMaxError(std::uint8_t index) { return SmbusByte(index, kMaxError); }
std::uint8_t BatteryFunc3th::GetRelativeStateOfCharge(std::uint8_t index) {
  return static_cast<std::uint8_t>(ReadRecordWord(index, kRsocLo, kRsocHi));
}
std::uint8_t BatteryFunc3th::GetAbsoluteStateOfCharge(std::uint8_t index) {
  return static_cast<std::uint8_t>(SmbusWord(index, kAbsoluteStateOfCharge));
}
std::uint16_t BatteryFunc3th::GetRemainingCapacity(std::uint8_t index) {
  return ReadRecordWord(index, kRemainingLo, kRemainingHi);
}
std::uint16_t BatteryFunc3th::GetFullChargeCapacity(std::uint8_t index) {
  return ReadRecordWord(index, kFullChargeLo, kFullChargeHi);
}
std::uint16_t BatteryFunc3th::GetRunTimeToEmpty(std::uint8_t index) { return SmbusWord(index, kRunTimeToEmpty); }
std::uint16_t BatteryFunc3th::GetChargingCurrent(std::uint8_t index) {
  return ReadRecordWord(index, kChargingCurrentLo, kChargingCurrentHi);
}
std::uint16_t BatteryFunc3th::GetChargingVoltage(std::uint8_t index) {
  return ReadRecordWord(index, kChargingVoltageLo, kChargingVoltageHi);
}
std::uint16_t BatteryFunc3th::GetBatteryStatus(std::uint8_t index) { return ReadRecordWord(index, kStatusLo, kStatusHi); }

std::uint16_t BatteryFunc3th::GetCycleCount(std::uint8_t index) {
  if (Record(index).word[kCycleCountLo] != 0) return ReadRecordWord(index, kCycleCountLo, kCycleCountHi);
  return SmbusWord(index, kCycleCount);
}

std::uint16_t BatteryFunc3th::GetDesignCapacity(std::uint8_t index) {
  return ReadRecordWord(index, kDesignCapacityLo, kDesignCapacityHi);
}

std::uint16_t BatteryFunc3th::GetDesignVoltage(std::uint8_t index) {
  if (Record(index).word[kDesignVoltageLo] != 0) return ReadRecordWord(index, kDesignVoltageLo, kDesignVoltageHi);
  return SmbusWord(index, kDesignVoltage);
}

std::uint16_t BatteryFunc3th::GetSerialNumber(std::uint8_t index) { return SmbusWord(index, kSerialNumber); }

wchar_t* BatteryFunc3th::GetManufacturerName(std::uint8_t index, wchar_t* buffer) {
  const wchar_t* cache = NameCache(index);
  if (buffer == nullptr) return nameCache[index > 1 ? 1 : index];
  std::wcscpy(buffer, cache);
  return buffer;
}

wchar_t* BatteryFunc3th::GetDeviceName(std::uint8_t index, wchar_t* buffer) {
  return SmbusName(index, kDeviceName, 7, buffer);
}

wchar_t* BatteryFunc3th::GetDeviceChemistry(std::uint8_t index, wchar_t* buffer) {
  return SmbusName(index, kDeviceChemistry, 4, buffer);
}

std::uint16_t BatteryFunc3th::GetSeriesCells(std::uint8_t index) { return ReadRecordByte(index, kPackConfig) >> 4; }
std::uint16_t BatteryFunc3th::GetParallelCells(std::uint8_t index) { return ReadRecordByte(index, kPackConfig) & 0x0F; }

float BatteryFunc3th::GetVeryLowVoltage(std::uint8_t index) {
  return VeryLowVoltageForKey(static_cast<std::uint8_t>(NameCache(index)[8]));
}
std::uint16_t BatteryFunc3th::GetThrottleTemperature(std::uint8_t index) {
  return ThrottleTemperatureForKey(static_cast<std::uint8_t>(NameCache(index)[7]));
}
float BatteryFunc3th::GetThrottleCurrentLimit(std::uint8_t index) {
  return ThrottleCurrentForKey(static_cast<std::uint8_t>(NameCache(index)[6])) * 1000.0f;
}

std::uint16_t BatteryFunc3th::GetCellVoltage(std::uint8_t index, std::uint8_t cell) {
  return SmbusWord(index, static_cast<std::uint8_t>(kCellVoltage1 - cell));
}

// The EC keeps the set-points complemented: writing v reads back as 0xFFFF - v.
std::uint16_t BatteryFunc3th::GetThrottleOnCurrent(std::uint8_t index) {
  return static_cast<std::uint16_t>(0xFFFF - ReadRecordWord(index, kThrottleOnLo, kThrottleOnHi));
}
std::uint16_t BatteryFunc3th::GetThrottleOffCurrent(std::uint8_t index) {
  return static_cast<std::uint16_t>(0xFFFF - ReadRecordWord(index, kThrottleOffLo, kThrottleOffHi));
}
void BatteryFunc3th::SetThrottleOnCurrent(std::uint8_t index, std::uint16_t value) {
  hw::EcRamWrite(Record(index).word[kThrottleOnHi], static_cast<std::uint8_t>(value >> 8));
  hw::EcRamWrite(Record(index).word[kThrottleOnLo], static_cast<std::uint8_t>(value & 0xFF));
}
void BatteryFunc3th::SetThrottleOffCurrent(std::uint8_t index, std::uint16_t value) {
  hw::EcRamWrite(Record(index).word[kThrottleOffHi], static_cast<std::uint8_t>(value >> 8));
  hw::EcRamWrite(Record(index).word[kThrottleOffLo], static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t BatteryFunc3th::GetS3Voltage() { return alternateMap ? ReadWord(0xFA28, 0xFA29) : ReadWord(0x0628, 0x0629); }
std::uint16_t BatteryFunc3th::GetS3Current() { return alternateMap ? ReadWord(0xFA2A, 0xFA2B) : ReadWord(0x062A, 0x062B); }
std::uint16_t BatteryFunc3th::GetD3Voltage() { return alternateMap ? ReadWord(0xFA2C, 0xFA2D) : ReadWord(0x062C, 0x062D); }
std::uint16_t BatteryFunc3th::GetD3Current() { return alternateMap ? ReadWord(0xFA2E, 0xFA2F) : ReadWord(0x062E, 0x062F); }

}  // namespace battery
