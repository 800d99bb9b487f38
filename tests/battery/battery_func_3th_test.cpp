#include "battery/battery_func_3th.h"
#include "tests/support/fake_ec_library.h"
#include "tests/support/fake_smbus_clock.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using battery::BatteryFunc3th;
using fake::ExtCall;
using Calls = std::vector<ExtCall>;
using namespace std::chrono_literals;

// An EC SMBus controller: registers written with 0x9B, a transaction started with 0x9C that
// answers from `words`/`blocks`, results read with 0x9A.
class SmbusController {
 public:
  explicit SmbusController(fake::FakeEcLibrary& ec, std::uint16_t blockCount = 0x023C,
                           std::uint16_t blockData = 0x021C)
      : ec_(ec), blockCount_(blockCount), blockData_(blockData) {
    ec.onExt = [this](EcExtCmdBlock& block) { Handle(block); };
  }
  std::map<std::uint8_t, std::uint16_t> words;
  std::map<std::uint8_t, std::string> blocks;

 private:
  void Handle(EcExtCmdBlock& block) {
    if (block.command == 0x9B) registers_[block.data[0]] = block.data[1];
    if (block.command == 0x9A) block.data[0] = registers_[block.data[0]];
    if (block.command != 0x9C) return;
    const std::uint8_t command = registers_[0x1B];
    if (registers_[0x18] == 0x0B) {
      const std::string& text = blocks[command];
      ec_.ram[blockCount_] = static_cast<std::uint8_t>(text.size());
      for (std::size_t i = 0; i < text.size(); ++i) ec_.ram[blockData_ + i] = static_cast<std::uint8_t>(text[i]);
    } else {
      registers_[0x1C] = static_cast<std::uint8_t>(words[command] & 0xFF);
      registers_[0x1D] = static_cast<std::uint8_t>(words[command] >> 8);
    }
  }
  fake::FakeEcLibrary& ec_;
  std::uint16_t blockCount_, blockData_;
  std::map<std::uint8_t, std::uint8_t> registers_;
};

Calls TransactionCalls(std::uint8_t protocol, std::uint8_t command) {
  return {{0x9B, {0x18, protocol}}, {0x9B, {0x1A, 0x16}}, {0x9B, {0x1B, command}}, {0x9C, {}}};
}

class Func3th : public ::testing::Test {
 protected:
  Func3th() { pack.addressTable = battery::kAddressTableA; }
  void UseSecondLayout() {
    pack.alternateMap = 1;
    pack.addressTable = battery::kAddressTableC;
  }
  fake::FakeEcLibrary ec;
  fake::FakeSmbusClock clock;
  BatteryFunc3th pack{clock};
};

TEST_F(Func3th, WordReadIssuesTheControllerSequenceAndPauses) {
  SmbusController smbus(ec);
  smbus.words[0x0B] = 0xFF38;
  EXPECT_EQ(pack.GetAverageCurrent(0), -200);
  Calls expected = TransactionCalls(0x09, 0x0B);
  expected.push_back({0x9A, {0x1D}});
  expected.push_back({0x9A, {0x1C}});
  EXPECT_EQ(ec.extCalls, expected);
  EXPECT_EQ(clock.sleeps, (std::vector<std::chrono::microseconds>{5ms}));
  EXPECT_TRUE(ec.ramReads.empty());  // no busy byte in the first layout
}

TEST_F(Func3th, ByteReadTakesTheLowDataRegister) {
  SmbusController smbus(ec);
  smbus.words[0x0C] = 0x1207;
  EXPECT_EQ(pack.GetMaxError(0), 0x07);
  Calls expected = TransactionCalls(0x09, 0x0C);
  expected.push_back({0x9A, {0x1C}});
  EXPECT_EQ(ec.extCalls, expected);
}

TEST_F(Func3th, SecondLayoutWaitsForTheBusyByte) {
  UseSecondLayout();
  SmbusController smbus(ec);
  smbus.words[0x11] = 95;
  int busyReads = 0;
  ec.onRamRead = [&](std::uint16_t address) -> std::uint8_t {
    if (address != 0xEDE3) return ec.ram[address];
    EXPECT_EQ(ec.extCalls.size(), 4u) << "the busy byte is polled after the start, before the results";
    return ++busyReads < 3 ? 1 : 0;
  };
  EXPECT_EQ(pack.GetRunTimeToEmpty(0), 95);
  EXPECT_EQ(busyReads, 3);
  Calls expected = TransactionCalls(0x09, 0x11);
  expected.push_back({0x9A, {0x1D}});
  expected.push_back({0x9A, {0x1C}});
  EXPECT_EQ(ec.extCalls, expected);
}

TEST_F(Func3th, AStuckBusyByteIsBoundedAndReadAnyway) {
  UseSecondLayout();
  SmbusController smbus(ec);
  smbus.words[0x1C] = 0xBEEF;
  ec.ram[0xEDE3] = 1;
  EXPECT_EQ(pack.GetSerialNumber(0), 0xBEEF);
  std::chrono::microseconds waited{};
  for (auto s : clock.sleeps) waited += s;
  EXPECT_GE(waited, 5ms + battery::kSmbusBusyLimit);
  EXPECT_LE(waited, 5ms + battery::kSmbusBusyLimit + battery::kSmbusBusyPoll);
}

TEST_F(Func3th, BlockReadsInBothLayouts) {
  wchar_t name[battery::kNameBufferLength];
  {
    SmbusController smbus(ec);
    smbus.blocks[0x21] = "PK-0042";
    EXPECT_EQ(std::wstring(pack.GetDeviceName(0, name)), L"PK-0042");
    Calls expected = TransactionCalls(0x0B, 0x21);
    EXPECT_EQ(ec.extCalls, expected);
    EXPECT_TRUE(ec.ramWrites.empty());
  }
  ec.extCalls.clear();
  UseSecondLayout();
  SmbusController smbus(ec, 0xEC3C, 0xEC1C);
  smbus.blocks[0x22] = "LAMX";
  EXPECT_EQ(std::wstring(pack.GetDeviceChemistry(0, name)), L"LAMX");
  // The requested length goes to the count byte before the transaction.
  EXPECT_EQ(ec.ramWrites, (std::vector<std::pair<std::uint16_t, std::uint8_t>>{{0xEC3C, 4}}));
  EXPECT_EQ(name[4], 0);
}

TEST_F(Func3th, BlockReadNeverStoresMoreThanEightBytes) {
  SmbusController smbus(ec);
  smbus.blocks[0x21] = std::string(20, 'W');
  std::uint8_t destination[16] = {};
  EXPECT_EQ(pack.EcSmbusReadBlock(0x21, 7, destination), 20);
  EXPECT_EQ(destination[7], 'W');
  EXPECT_EQ(destination[8], 0);
}

TEST_F(Func3th, ConvertsTheMirroredWords) {
  struct Case {
    std::uint16_t raw;
    float temperature;
  } temperatures[] = {{2981, 25.0f}, {0, 0.0f}, {3031, 30.0f}};
  for (const Case& c : temperatures) {
    ec.PutRamWord(0x03BE, 0x03BF, c.raw);
    EXPECT_NEAR(pack.GetTemperature(0), c.temperature, 1e-4) << c.raw;
  }
  ec.PutRamWord(0x03BE, 0x03BF, 1);
  EXPECT_EQ(pack.GetTemperature(0), 0.1f - 273.1f);  // single precision, not double
  ec.PutRamWord(0x03BC, 0x03BD, 0xFF38);
  EXPECT_EQ(pack.GetCurrent(0), -200);
  ec.PutRamWord(0x03BC, 0x03BD, 0x00C8);
  EXPECT_EQ(pack.GetCurrent(0), 200);
  ec.PutRamWord(0x03D0, 0x03D1, 0x0157);
  EXPECT_EQ(pack.GetRelativeStateOfCharge(1), 0x57);
  ec.ram[0x06E1] = 0x32;
  EXPECT_EQ(pack.GetSeriesCells(1), 3);
  EXPECT_EQ(pack.GetParallelCells(1), 2);
  ec.ram[0x0382] = 0x02;
  EXPECT_TRUE(pack.IsCharging(1));
  EXPECT_FALSE(pack.IsCharging(0));
}

TEST_F(Func3th, DesignVoltageAndCycleCountComeFromSmbusUnlessMirrored) {
  SmbusController smbus(ec);
  smbus.words[0x19] = 11100;
  smbus.words[0x17] = 42;
  ec.PutRamWord(0x03FA, 0x03FB, 7400);
  ec.PutRamWord(0x03E4, 0x03E5, 17);
  EXPECT_EQ(pack.GetDesignVoltage(0), 11100);
  EXPECT_EQ(pack.GetCycleCount(0), 42);
  EXPECT_EQ(pack.GetDesignVoltage(1), 7400);
  EXPECT_EQ(pack.GetCycleCount(1), 17);
}

TEST_F(Func3th, CellVoltagesCountDownFrom0x3F) {
  SmbusController smbus(ec);
  smbus.words = {{0x3F, 4001}, {0x3E, 4002}, {0x3D, 4003}, {0x3C, 4004}};
  for (std::uint8_t cell = 0; cell < 4; ++cell) EXPECT_EQ(pack.GetCellVoltage(0, cell), 4001 + cell);
}

TEST_F(Func3th, ThresholdsDecodeFromTheCachedName) {
  const std::string name = "NVA5XXF5K1";  // characters 6, 7, 8 = 'F', '5', 'K'
  for (std::size_t i = 0; i < name.size(); ++i) ec.ram[0x0633 + i] = static_cast<std::uint8_t>(name[i]);
  EXPECT_FLOAT_EQ(pack.GetThrottleCurrentLimit(0), 5000.0f);
  EXPECT_EQ(pack.GetThrottleTemperature(0), 70);
  EXPECT_FLOAT_EQ(pack.GetVeryLowVoltage(0), 3.0f);
  const std::size_t readsAfterFirstFill = ec.ramReads.size();
  wchar_t buffer[battery::kNameBufferLength];
  EXPECT_EQ(std::wstring(pack.GetManufacturerName(0, buffer)), L"NVA5XXF5K1");
  EXPECT_EQ(ec.ramReads.size(), readsAfterFirstFill);  // cached
}

TEST(ThresholdTables, KeysAndFallbacks) {
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('0'), 0.0f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('9'), 2.25f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('A'), 2.5f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('B'), 3.0f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('Z'), 15.0f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('a'), 2.75f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('z'), 15.25f);
  EXPECT_FLOAT_EQ(battery::ThrottleCurrentForKey('?'), 0.0f);
  EXPECT_EQ(battery::ThrottleTemperatureForKey('9'), 255);
  EXPECT_EQ(battery::ThrottleTemperatureForKey('x'), 0);
  EXPECT_FLOAT_EQ(battery::VeryLowVoltageForKey('M'), 3.2f);
  EXPECT_FLOAT_EQ(battery::VeryLowVoltageForKey('m'), 3.25f);
  EXPECT_FLOAT_EQ(battery::VeryLowVoltageForKey('N'), 0.0f);
  EXPECT_FLOAT_EQ(battery::VeryLowVoltageForKey('?'), 0.0f);
}

TEST_F(Func3th, ASwappedPackShowsItsOwnName) {
  auto putName = [&](const std::string& name) {
    for (std::size_t i = 0; i < name.size(); ++i) ec.ram[0x0633 + i] = static_cast<std::uint8_t>(name[i]);
  };
  wchar_t buffer[battery::kNameBufferLength];
  putName("FIRSTPACK1");
  ec.ram[0x0380] = 0x03;
  ASSERT_TRUE(pack.IsBatteryPresent(0));
  EXPECT_EQ(std::wstring(pack.GetManufacturerName(0, buffer)), L"FIRSTPACK1");
  ec.ram[0x0380] = 0x01;
  EXPECT_FALSE(pack.IsBatteryPresent(0));
  putName("OTHERPACK2");
  ec.ram[0x0380] = 0x03;
  EXPECT_EQ(std::wstring(pack.GetManufacturerName(0, buffer)), L"OTHERPACK2");
}

TEST_F(Func3th, SetPointsAreStoredAsGivenAndReadComplemented) {
  pack.SetThrottleOnCurrent(0, 2000);
  EXPECT_EQ(ec.ramWrites, (std::vector<std::pair<std::uint16_t, std::uint8_t>>{{0x066A, 0x07}, {0x066B, 0xD0}}));
  EXPECT_EQ(pack.GetThrottleOnCurrent(0), 0xF82F);
  pack.SetThrottleOffCurrent(1, 0x1234);
  EXPECT_EQ(ec.ram[0x0670], 0x12);
  EXPECT_EQ(ec.ram[0x0671], 0x34);
  EXPECT_EQ(pack.GetThrottleOffCurrent(1), 0xFFFF - 0x1234);
}

TEST_F(Func3th, PowerWizReadingsFollowTheLayout) {
  for (std::uint16_t i = 0; i < 8; ++i) {
    ec.ram[0x0628 + i] = static_cast<std::uint8_t>(0x10 + i);
    ec.ram[0xFA28 + i] = static_cast<std::uint8_t>(0x80 + i);
  }
  EXPECT_EQ(pack.GetS3Voltage(), 0x1110);
  EXPECT_EQ(pack.GetD3Current(), 0x1716);
  UseSecondLayout();
  EXPECT_EQ(pack.GetS3Current(), 0x8382);
  EXPECT_EQ(pack.GetD3Voltage(), 0x8584);
}

// A wrapper that answers every word read with selector * 1000 + command.
class EchoWrapper : public hw::IZylWapper {
 public:
  EchoWrapper() { acpiBuffer = buffer; }
  std::uint32_t Execute() override {
    const auto value = static_cast<std::uint16_t>(buffer[8] * 1000 + buffer[11]);
    buffer[12] = static_cast<std::uint8_t>(value & 0xFF);
    buffer[13] = static_cast<std::uint8_t>(value >> 8);
    return 1;
  }
  std::uint8_t buffer[hw::kAcpiBufferSize] = {};
};

TEST_F(Func3th, NonZeroSelectorGoesThroughTheAcpiWrapper) {
  EXPECT_EQ(pack.GetSerialNumber(1), 0);  // no wrapper: nothing to call
  EchoWrapper wrapper;
  pack.acpiWrapper = &wrapper;
  EXPECT_EQ(pack.GetSerialNumber(1), 1000 + 0x1C);
  UseSecondLayout();  // the second layout mirrors neither value for battery 1
  EXPECT_EQ(pack.GetDesignVoltage(1), 1000 + 0x19);
  EXPECT_EQ(pack.GetCycleCount(1), 1000 + 0x17);
  EXPECT_TRUE(ec.extCalls.empty());
}

}  // namespace
