#include "interp/battery_info.h"

#include <gtest/gtest.h>

namespace interp {
namespace {

// Every field from batteryMode to veryLowVoltage set to something other than its reset value.
void FillNumbers(BatteryInfo& info) {
  info.batteryMode = 1;
  info.temperature = 30.5f;
  info.voltage = 12000;
  info.current = -1500;
  info.averageCurrent = -1400;
  info.maxError = 3;
  info.relativeStateOfCharge = 80;
  info.absoluteStateOfCharge = 75;
  info.remainingCapacity = 3000;
  info.fullChargeCapacity = 4400;
  info.runTimeToEmpty = 120;
  info.chargingCurrent = 100;
  info.chargingVoltage = 12600;
  info.batteryStatus = 0x00C0;
  info.cycleCount = 12;
  info.designCapacity = 4800;
  info.designVoltage = 11100;
  info.serialNumber = 0x1234;
  info.lifeCapacity = 91;
  info.cellVoltage = {4000, 4001, 4002, 4003};
  info.throttleOnCurrent = 1;
  info.throttleOffCurrent = 2;
  info.throttleOnWritten = 3;
  info.throttleOffWritten = 4;
  info.throttleOnShown = 5;
  info.throttleOffShown = 6;
  info.throttleCurrentLimit = 5000;
  info.throttleTemperature = 70;
  info.veryLowVoltage = 2.25f;
}

void ExpectResetState(const BatteryInfo& info) {
  EXPECT_EQ(info.manufacturerName, L"NA");
  EXPECT_EQ(info.deviceChemistry, L"NA");
  EXPECT_EQ(info.deviceName, L"NA");
  EXPECT_EQ(info.packConfigText, L"0S0P");
  EXPECT_EQ(info.batteryMode, 0);
  EXPECT_EQ(info.temperature, 0.0f);
  EXPECT_EQ(info.voltage, 0);
  EXPECT_EQ(info.current, 0);
  EXPECT_EQ(info.averageCurrent, 0);
  EXPECT_EQ(info.maxError, 0);
  EXPECT_EQ(info.relativeStateOfCharge, 0);
  EXPECT_EQ(info.absoluteStateOfCharge, 0);
  EXPECT_EQ(info.remainingCapacity, 0);
  EXPECT_EQ(info.fullChargeCapacity, 0);
  EXPECT_EQ(info.runTimeToEmpty, 0);
  EXPECT_EQ(info.chargingCurrent, 0);
  EXPECT_EQ(info.chargingVoltage, 0);
  EXPECT_EQ(info.batteryStatus, 0);
  EXPECT_EQ(info.cycleCount, 0);
  EXPECT_EQ(info.designCapacity, 0);
  EXPECT_EQ(info.designVoltage, 0);
  EXPECT_EQ(info.serialNumber, 0);
  EXPECT_EQ(info.lifeCapacity, 0);
  EXPECT_EQ(info.cellVoltage, (std::array<std::uint16_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(info.throttleOnCurrent, 0);
  EXPECT_EQ(info.throttleOffCurrent, 0);
  EXPECT_EQ(info.throttleOnWritten, 0);
  EXPECT_EQ(info.throttleOffWritten, 0);
  EXPECT_EQ(info.throttleOnShown, 0);
  EXPECT_EQ(info.throttleOffShown, 0);
  EXPECT_EQ(info.throttleCurrentLimit, 0);
  EXPECT_EQ(info.throttleTemperature, 0);
  EXPECT_EQ(info.veryLowVoltage, 0.0f);
  EXPECT_FALSE(info.present);
  EXPECT_FALSE(info.acPresent);
  EXPECT_FALSE(info.charging);
  EXPECT_FALSE(info.healthEntry.has_value());
}

TEST(BatteryInfoTest, ConstructionGivesTheResetStateAndTheOwnersIndex) {
  const BatteryInfo first(1);
  const BatteryInfo second(2);
  ExpectResetState(first);
  EXPECT_EQ(first.index, 1);
  EXPECT_EQ(second.index, 2);
  EXPECT_TRUE(first.healthTable.empty());
  EXPECT_FALSE(first.identityUnavailable);
  EXPECT_EQ(first.acSourceFlag, 0);
  EXPECT_FALSE(first.healthCheckEnabled);
  // Copies keep the index.
  const BatteryInfo copy = second;
  EXPECT_EQ(copy.index, 2);
}

TEST(BatteryInfoTest, ResetClearsReadingsAndKeepsTableFlagsAndIndex) {
  BatteryInfo info(2);
  info.manufacturerName = L"NV1207F5cE";
  info.deviceChemistry = L"LAMX";
  info.deviceName = L"PK-01";
  info.packConfigText = L"3S2P";
  FillNumbers(info);
  info.present = info.acPresent = info.charging = true;
  info.healthTable = {{L"devicename", L"PK-01", 500}};
  info.healthEntry = info.healthTable[0];
  info.acSourceFlag = 1;
  info.identityUnavailable = true;
  info.healthCheckEnabled = true;

  ResetBatteryInfo(info);

  ExpectResetState(info);
  EXPECT_EQ(info.healthTable.size(), 1u);
  EXPECT_EQ(info.acSourceFlag, 1);
  EXPECT_TRUE(info.identityUnavailable);
  EXPECT_EQ(info.index, 2);
  EXPECT_TRUE(info.healthCheckEnabled);
}

TEST(BatteryInfoTest, LifeCapacityInSinglePrecisionTruncatedToOneByte) {
  struct Case {
    std::uint16_t full, design;
    std::uint8_t life;
  } cases[] = {
      {4400, 4800, 91}, {4800, 4800, 100}, {0, 4800, 0},     {4400, 0, 0},
      {1, 3, 33},       {2, 3, 66},        {6000, 4000, 150}, {65535, 1, static_cast<std::uint8_t>(6553500 & 0xFF)},
      {700, 1000, 70},  {699, 1000, 69},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeLifeCapacity(c.full, c.design), c.life) << c.full << "/" << c.design;
  }
}

TEST(BatteryInfoTest, PackConfigTextAndThrottleWordShown) {
  EXPECT_EQ(FormatPackConfigText(3, 2), L"3S2P");
  EXPECT_EQ(FormatPackConfigText(0xFFFF, 0xFFFF), L"NA");
  EXPECT_EQ(FormatPackConfigText(3, 0xFFFF), L"3SFFFFP");
  EXPECT_EQ(FormatPackConfigText(12, 1), L"CS1P");
  EXPECT_EQ(ThrottleWordAsShown(65535), 0);
  EXPECT_EQ(ThrottleWordAsShown(2000), 2000);
  EXPECT_EQ(ThrottleWordAsShown(0), 0);
}

}  // namespace
}  // namespace interp
