#include "battery/battery_i2c_func.h"

#include "battery/battery_address_table.h"
#include "hw/bridge_library.h"

#include <gtest/gtest.h>

#include <array>
#include <cwchar>
#include <vector>

namespace {

using battery::BatteryI2CFunc;

// A bridge that answers the battery frame with a prepared block and records what was sent.
struct FakeBridge {
  std::array<std::uint16_t, 31> block{};
  bool fail = false;
  std::vector<std::vector<std::uint8_t>> frames;
  std::vector<std::uint32_t> replyLengths;
} g_bridge;

extern "C" std::uint8_t FakeReadEcRam(const std::uint8_t* frame, std::uint32_t frameLength, std::uint8_t* reply,
                                      std::uint32_t replyLength) {
  g_bridge.frames.emplace_back(frame, frame + frameLength);
  g_bridge.replyLengths.push_back(replyLength);
  if (g_bridge.fail) {
    for (std::uint32_t i = 0; i < replyLength; ++i) reply[i] = 0xEE;  // garbage after a failure
    return 0;
  }
  for (std::uint32_t i = 0; i < replyLength && i / 2 < g_bridge.block.size(); ++i) {
    const std::uint16_t word = g_bridge.block[i / 2];
    reply[i] = static_cast<std::uint8_t>(i % 2 == 0 ? word & 0xFF : word >> 8);
  }
  return 1;
}

class I2cBattery : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bridge = FakeBridge{};
    hw::BridgeLibrary().ReadECRAM = FakeReadEcRam;
  }
  void TearDown() override { hw::ClearBridgeLibrary(); }

  // Refreshes with a block in which only the given words are set.
  void Receive(std::initializer_list<std::pair<std::size_t, std::uint16_t>> words) {
    g_bridge.block = {};
    for (auto [index, value] : words) g_bridge.block[index] = value;
    ASSERT_TRUE(battery.RefreshBlock(0));
  }

  BatteryI2CFunc battery;
};

TEST_F(I2cBattery, RefreshSendsTheOneByteFrameForA62ByteBlock) {
  ASSERT_TRUE(battery.RefreshBlock(1));  // the index is ignored
  ASSERT_EQ(g_bridge.frames.size(), 1u);
  EXPECT_EQ(g_bridge.frames[0], std::vector<std::uint8_t>{0x81});
  EXPECT_EQ(g_bridge.replyLengths[0], 62u);
}

TEST_F(I2cBattery, EveryValueComesFromItsWordOfTheBlock) {
  for (std::size_t i = 0; i < 31; ++i) g_bridge.block[i] = static_cast<std::uint16_t>(0x0100 * i + 7);
  g_bridge.block[10] = 0xFC18;  // -1000 mA
  ASSERT_TRUE(battery.RefreshBlock(0));
  for (std::uint8_t index = 0; index < 2; ++index) {
    EXPECT_EQ(battery.GetBatteryStatus(index), 0x0007);
    EXPECT_FLOAT_EQ(battery.GetTemperature(index), 775.0f);  // w3 = 0x0307, whole degrees
    EXPECT_EQ(battery.GetVoltage(index), 0x0407);
    EXPECT_EQ(battery.GetRemainingCapacity(index), 0x0807);
    EXPECT_EQ(battery.GetFullChargeCapacity(index), 0x0907);
    EXPECT_EQ(battery.GetCurrent(index), -1000);
    EXPECT_EQ(battery.GetAverageCurrent(index), -1000);
    EXPECT_EQ(battery.GetRunTimeToEmpty(index), 0x0B07);
    EXPECT_EQ(battery.GetCycleCount(index), 0x1507);
    EXPECT_EQ(battery.GetDesignCapacity(index), 0x1C07);
    EXPECT_EQ(battery.GetChargingCurrent(index), 0x1D07);
    EXPECT_EQ(battery.GetChargingVoltage(index), 0x1E07);
  }
}

TEST_F(I2cBattery, FailedRefreshKeepsThePreviousBlock) {
  Receive({{4, 12000}});
  g_bridge.fail = true;
  EXPECT_FALSE(battery.RefreshBlock(0));
  EXPECT_EQ(battery.GetVoltage(0), 12000);
}

TEST_F(I2cBattery, UnboundBridgeIsAFailedRefreshNotACall) {
  hw::ClearBridgeLibrary();
  EXPECT_FALSE(battery.RefreshBlock(0));
  EXPECT_EQ(battery.GetVoltage(0), 0);  // nothing received yet: all zero
}

TEST_F(I2cBattery, PowerStateLatchesTheAcSource) {
  EXPECT_EQ(battery.latchedAcSource, 0);
  struct Case {
    std::uint16_t w23;
    std::uint8_t state;
    std::uint8_t flagAfter;  // starting from flag 1 each time
  };
  for (const Case& c : {Case{0x0040, 1, 1}, Case{0x0080, 1, 0}, Case{0x00C0, 0, 1}, Case{0x0000, 0, 1},
                        Case{0x0140, 0, 1}, Case{0x0070, 1, 1}}) {
    Receive({{23, c.w23}});
    battery.latchedAcSource = 1;
    EXPECT_EQ(battery.GetPowerState(), c.state) << std::hex << c.w23;
    EXPECT_EQ(battery.GetAcSourceFlag(), c.flagAfter) << std::hex << c.w23;
    EXPECT_EQ(battery.IsAcPresent(), c.state != 0) << std::hex << c.w23;
  }
  Receive({{23, 0x0080}});
  battery.latchedAcSource = 1;
  battery.GetPowerState();
  Receive({{23, 0x0000}});
  battery.GetPowerState();
  EXPECT_EQ(battery.GetAcSourceFlag(), 0);  // unchanged by an unrecognised field
}

TEST_F(I2cBattery, ChargingFollowsTheChargeField) {
  for (auto [w23, charging] : {std::pair<std::uint16_t, bool>{0x0010, true}, {0x0020, true}, {0x0030, false},
                               {0x0000, false}, {0x00D0, true}}) {
    Receive({{23, w23}});
    EXPECT_EQ(battery.IsCharging(0), charging) << std::hex << w23;
  }
}

TEST_F(I2cBattery, StateOfChargePercentages) {
  struct Case {
    std::uint16_t remaining, full, design;
    std::uint8_t relative, absolute;
  };
  for (const Case& c : {Case{1234, 2468, 1234, 50, 100}, Case{1, 3, 3, 33, 33}, Case{2, 3, 0, 67, 0},
                        Case{500, 0, 1000, 0, 50}, Case{300, 100, 100, 44, 44},
                        // 7/40 in single precision is just below 0.175: 17, where double gives 18.
                        Case{7, 40, 40, 17, 17}}) {
    Receive({{8, c.remaining}, {9, c.full}, {28, c.design}});
    EXPECT_EQ(battery.GetRelativeStateOfCharge(0), c.relative) << c.remaining << "/" << c.full;
    EXPECT_EQ(battery.GetAbsoluteStateOfCharge(0), c.absolute) << c.remaining << "/" << c.design;
  }
}

TEST_F(I2cBattery, ValuesTheBlockDoesNotCarry) {
  for (auto& word : g_bridge.block) word = 0xFFFF;
  ASSERT_TRUE(battery.RefreshBlock(0));
  wchar_t buffer[battery::kNameBufferLength] = L"previous";
  EXPECT_STREQ(battery.GetManufacturerName(0, buffer), L"XXXX");
  EXPECT_STREQ(battery.GetDeviceName(0, buffer), L"XXXX");
  EXPECT_STREQ(battery.GetDeviceChemistry(0, buffer), L"XXXX");
  EXPECT_EQ(battery.GetBatteryState(0), 0);
  EXPECT_EQ(battery.GetBatteryMode(0), 0);
  EXPECT_EQ(battery.GetMaxError(0), 0);
  EXPECT_EQ(battery.GetDesignVoltage(0), 0);
  EXPECT_EQ(battery.GetSerialNumber(0), 0);
  EXPECT_EQ(battery.GetSeriesCells(0), 0);
  EXPECT_EQ(battery.GetParallelCells(0), 0);
  EXPECT_EQ(battery.GetVeryLowVoltage(0), 0.0f);
  EXPECT_EQ(battery.GetThrottleTemperature(0), 0);
  EXPECT_EQ(battery.GetThrottleCurrentLimit(0), 0.0f);
  EXPECT_EQ(battery.GetCellVoltage(0, 1), 0);
  battery.SetThrottleOnCurrent(0, 1234);
  EXPECT_EQ(battery.GetThrottleOnCurrent(0), 0);
  EXPECT_EQ(battery.GetThrottleOffCurrent(0), 0);
  EXPECT_EQ(battery.GetS3Voltage() + battery.GetS3Current() + battery.GetD3Voltage() + battery.GetD3Current(), 0);
  EXPECT_EQ(g_bridge.frames.size(), 1u);  // none of them touches the bus
}

TEST_F(I2cBattery, BatteryIsNeverPresentThroughThePresenceMasks) {
  battery.addressTable = battery::kAddressTableA;
  for (int w23 : {0x0040, 0x0080}) {
    Receive({{23, static_cast<std::uint16_t>(w23)}});
    EXPECT_FALSE(battery.IsBatteryPresent(0));
    EXPECT_FALSE(battery.IsBatteryPresent(1));
  }
}

}  // namespace
