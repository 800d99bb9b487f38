#include "battery/battery_gene_func.h"
#include "tests/support/fake_ec_library.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using battery::BatteryGeneFunc;

class GeneFunc : public ::testing::Test {
 protected:
  GeneFunc() {
    pack.addressTable = battery::kAddressTableA;
    ec.firmware = [this](std::uint8_t* block) {
      if (block[11] == 1) std::memcpy(block + 24, result.data(), result.size());
    };
  }
  // The block the firmware received: function, index, direction, argument.
  std::uint16_t Word(std::size_t offset) const {
    return static_cast<std::uint16_t>(ec.lastTrigger[offset] | (ec.lastTrigger[offset + 1] << 8));
  }
  fake::FakeEcLibrary ec;
  BatteryGeneFunc pack{reinterpret_cast<hw::SmiMailbox*>(ec.Mailbox())};
  std::vector<std::uint8_t> result{0x31, 0x01};  // 305
};

TEST_F(GeneFunc, EveryOperationSendsItsBatteryClassBlock) {
  wchar_t name[battery::kNameBufferLength];
  struct Case {
    const char* what;
    std::function<void()> call;
    std::uint16_t function;
    std::uint8_t index, direction;
    std::uint16_t argument;
  };
  const Case cases[] = {
      {"power state", [&] { pack.GetPowerState(); }, 0x02, 0, 1, 0},
      {"AC", [&] { pack.IsAcPresent(); }, 0x02, 0, 1, 0},
      {"presence", [&] { pack.IsBatteryPresent(1); }, 0x02, 0, 1, 0},
      {"state", [&] { pack.GetBatteryState(1); }, 0x03, 1, 1, 0},
      {"charging", [&] { pack.IsCharging(1); }, 0x03, 1, 1, 0},
      {"mode", [&] { pack.GetBatteryMode(0); }, 0x10, 0, 1, 0},
      {"temperature", [&] { pack.GetTemperature(1); }, 0x11, 1, 1, 0},
      {"voltage", [&] { pack.GetVoltage(0); }, 0x12, 0, 1, 0},
      {"current", [&] { pack.GetCurrent(0); }, 0x13, 0, 1, 0},
      {"average", [&] { pack.GetAverageCurrent(0); }, 0x14, 0, 1, 0},
      {"max error", [&] { pack.GetMaxError(0); }, 0x15, 0, 1, 0},
      {"rsoc", [&] { pack.GetRelativeStateOfCharge(0); }, 0x16, 0, 1, 0},
      {"asoc", [&] { pack.GetAbsoluteStateOfCharge(0); }, 0x17, 0, 1, 0},
      {"remaining", [&] { pack.GetRemainingCapacity(0); }, 0x18, 0, 1, 0},
      {"full", [&] { pack.GetFullChargeCapacity(0); }, 0x19, 0, 1, 0},
      {"run time", [&] { pack.GetRunTimeToEmpty(0); }, 0x1A, 0, 1, 0},
      {"charging current", [&] { pack.GetChargingCurrent(0); }, 0x1B, 0, 1, 0},
      {"charging voltage", [&] { pack.GetChargingVoltage(0); }, 0x1C, 0, 1, 0},
      {"status", [&] { pack.GetBatteryStatus(0); }, 0x1D, 0, 1, 0},
      {"cycles", [&] { pack.GetCycleCount(0); }, 0x1E, 0, 1, 0},
      {"design capacity", [&] { pack.GetDesignCapacity(0); }, 0x1F, 0, 1, 0},
      {"design voltage", [&] { pack.GetDesignVoltage(0); }, 0x20, 0, 1, 0},
      {"serial", [&] { pack.GetSerialNumber(0); }, 0x21, 0, 1, 0},
      {"manufacturer", [&] { pack.GetManufacturerName(1, name); }, 0x22, 1, 1, 0},
      {"device", [&] { pack.GetDeviceName(1, name); }, 0x23, 1, 1, 0},
      {"chemistry", [&] { pack.GetDeviceChemistry(1, name); }, 0x24, 1, 1, 0},
      {"series", [&] { pack.GetSeriesCells(0); }, 0x33, 0, 1, 0},
      {"parallel", [&] { pack.GetParallelCells(0); }, 0x33, 0, 1, 0},
      {"very low", [&] { pack.GetVeryLowVoltage(0); }, 0x32, 0, 1, 0},
      {"throttle temperature", [&] { pack.GetThrottleTemperature(0); }, 0x31, 0, 1, 0},
      {"throttle current", [&] { pack.GetThrottleCurrentLimit(0); }, 0x30, 0, 1, 0},
      {"cell 3", [&] { pack.GetCellVoltage(1, 3); }, 0x34, 1, 1, 3},
      {"on", [&] { pack.GetThrottleOnCurrent(0); }, 0x40, 0, 1, 0},
      {"off", [&] { pack.GetThrottleOffCurrent(1); }, 0x41, 1, 1, 0},
      {"set on", [&] { pack.SetThrottleOnCurrent(1, 0xF82F); }, 0x40, 1, 0, 0xF82F},
      {"set off", [&] { pack.SetThrottleOffCurrent(0, 1234); }, 0x41, 0, 0, 1234},
  };
  for (const Case& c : cases) {
    ec.lastTrigger.fill(0xEE);
    ec.Mailbox()[20] = 0x5A;  // the previous command's leftovers are cleared
    c.call();
    EXPECT_EQ(Word(0), 0x0001) << c.what;
    EXPECT_EQ(Word(2), 0x0012) << c.what;
    EXPECT_EQ(Word(8), c.function) << c.what;
    EXPECT_EQ(ec.lastTrigger[10], c.index) << c.what;
    EXPECT_EQ(ec.lastTrigger[11], c.direction) << c.what;
    EXPECT_EQ(Word(16), c.argument) << c.what;
    EXPECT_EQ(ec.lastTrigger[20], 0) << c.what;
  }
}

TEST_F(GeneFunc, ConvertsTheMailboxUnits) {
  result = {0x31, 0x01};  // 305
  EXPECT_FLOAT_EQ(pack.GetTemperature(0), 30.5f);
  result = {0x2C, 0x01};  // 300
  EXPECT_FLOAT_EQ(pack.GetVeryLowVoltage(0), 3.0f);
  EXPECT_FLOAT_EQ(pack.GetThrottleCurrentLimit(0), 300.0f);
  result = {0x38, 0xFF};
  EXPECT_EQ(pack.GetCurrent(0), -200);
  result = {0x32};
  EXPECT_EQ(pack.GetSeriesCells(0), 3);
  EXPECT_EQ(pack.GetParallelCells(0), 2);
  result = {0x02};
  EXPECT_TRUE(pack.IsCharging(0));
}

TEST_F(GeneFunc, NamesHaveTheirFixedLengthAndClearedResultBytes) {
  wchar_t name[battery::kNameBufferLength];
  std::wmemset(name, L'#', battery::kNameBufferLength);
  ec.Mailbox()[32] = 'Q';  // past the block: stale bytes a short answer must not show
  ec.Mailbox()[33] = 'Q';
  result = {'N', 'V', '5'};
  EXPECT_EQ(std::wstring(pack.GetManufacturerName(0, name)), L"NV5");
  EXPECT_EQ(ec.lastTrigger[32], 0);
  EXPECT_EQ(ec.lastTrigger[33], 0);
  EXPECT_EQ(name[10], 0);
  result = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'};
  EXPECT_EQ(std::wstring(pack.GetManufacturerName(0, name)), L"ABCDEFGHIJ");
  EXPECT_EQ(std::wstring(pack.GetDeviceName(0, name)), L"ABCDEFG");
  EXPECT_EQ(std::wstring(pack.GetDeviceChemistry(0, name)), L"ABCD");
  result = {0xE9, 'x'};
  EXPECT_EQ(pack.GetDeviceChemistry(0, name)[0], static_cast<wchar_t>(0xE9));  // zero-extended
}

TEST_F(GeneFunc, SetCommandsReadNothingAndPowerWizIssuesNoCommand) {
  result = {0x99, 0x99};
  pack.SetThrottleOnCurrent(0, 7);
  EXPECT_NE(ec.Mailbox()[24], 0x99);
  const long before = ec.calls;
  EXPECT_EQ(pack.GetS3Voltage() + pack.GetS3Current() + pack.GetD3Voltage() + pack.GetD3Current(), 0);
  EXPECT_FALSE(pack.RefreshBlock(0));
  EXPECT_EQ(pack.GetAcSourceFlag(), 0);
  EXPECT_EQ(ec.calls, before);
}

}  // namespace
