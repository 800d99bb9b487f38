#include "interp/battery_report.h"

#include <gtest/gtest.h>

namespace interp {
namespace {

BatteryInfo PresentPack() {
  BatteryInfo info(1);
  info.present = true;
  info.healthCheckEnabled = true;
  info.manufacturerName = L"NV1207F5cE";
  info.serialNumber = 0x0A1B;
  info.deviceChemistry = L"LAMX";
  info.deviceName = L"PK-01";
  info.batteryStatus = 0x00C0;
  info.batteryMode = 0x6001;
  info.relativeStateOfCharge = 5;
  info.absoluteStateOfCharge = 100;
  info.charging = false;
  info.acPresent = false;
  info.temperature = 31.456f;
  info.voltage = 11850;
  info.current = -1234;
  info.averageCurrent = -1100;
  info.maxError = 2;
  info.remainingCapacity = 3000;
  info.fullChargeCapacity = 4400;
  info.runTimeToEmpty = 146;
  info.chargingCurrent = 0;
  info.chargingVoltage = 12600;
  info.cycleCount = 301;
  info.designCapacity = 4800;
  info.designVoltage = 11100;
  info.throttleCurrentLimit = 5000;
  info.throttleTemperature = 70;
  info.veryLowVoltage = 2.25f;
  info.packConfigText = L"3S2P";
  info.lifeCapacity = 91;
  info.throttleOnCurrent = 63535;  // the user typed 2000
  info.throttleOnShown = 2000;
  info.throttleOffCurrent = 64535;
  info.throttleOffShown = 1000;
  info.cellVoltage = {3950, 3951, 3952, 3953};
  return info;
}

TEST(BatteryReportTest, PresentBatteryExactText) {
  BatteryInfo info = PresentPack();
  EXPECT_EQ(BuildBatteryReport(info),
            L"[ Battery 1 Attach : Yes ]"
            L"\n\nManufacture Name : NV1207F5cE"
            L"\nSerial number : 0A1B"
            L"\nDevice Chemistry : LAMX"
            L"\nDevice Name : PK-01"
            L"\nStatus : 00C0"
            L"\nMode : 6001"
            L"\n\nBattery1 status : PASS"
            L"\nPercentage (RSOC) : 05 %"
            L"\nPercentage (ASOC) : 100 %"
            L"\nCharge : No"
            L"\nAC In : No"
            L"\nTemperature : 31.46 C"
            L"\nVoltage : 11850 mV"
            L"\nCurrent : -1234 mA"
            L"\nAverage Current : -1100 mA"
            L"\nMax Error : 2"
            L"\nRemaining Capacity : 3000 mAh"
            L"\nFull Charge Capacity : 4400 mAh"
            L"\nRun Time To Empty : 146 min"
            L"\nCharging Current : 0 mA"
            L"\nCharging Voltage : 12600 mV"
            L"\nCycle Count : 301"
            L"\nDesign Capacity : 4800 mAh"
            L"\nDesign Voltage : 11100 mV"
            L"\nMax discharge current : 5000 mA"
            L"\nThrottle Over Temperature : 70 C"
            L"\nVery Low threshold voltage : 2.25 V"
            L"\nSP Pack : 3S2P"
            L"\nLife Cap : 91 %"
            L"\n-Throttle ON : 2000 mA"
            L"\n-Throttle OFF : 1000 mA"
            L"\nCell Voltage 1 : 3950 mV"
            L"\nCell Voltage 2 : 3951 mV"
            L"\nCell Voltage 3 : 3952 mV"
            L"\nCell Voltage 4 : 3953 mV");
  // The verdict ran on the record and cached its row.
  EXPECT_TRUE(info.healthEntry.has_value());
}

TEST(BatteryReportTest, AbsentBatteryIsOneLine) {
  BatteryInfo second(2);
  second.manufacturerName = L"ignored";
  EXPECT_EQ(BuildBatteryReport(second), L"[ Battery 2 Attach : No ]");
}

TEST(BatteryReportTest, BatteryTextsAreInsertedUnaltered) {
  BatteryInfo info = PresentPack();
  info.manufacturerName = L"100%s%d%%";
  info.deviceName = L"A\u00E9\u00FF";
  info.packConfigText = L"%n";
  info.acPresent = true;
  info.chargingCurrent = 2000;
  info.charging = true;
  info.batteryStatus = 0xFFFF;
  const std::wstring text = BuildBatteryReport(info);
  EXPECT_NE(text.find(L"\nManufacture Name : 100%s%d%%\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nDevice Name : A\u00E9\u00FF\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nSP Pack : %n\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nStatus : FFFF\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\n\nBattery1 status : Charging Battery\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nCharge : Yes\nAC In : Yes\n"), std::wstring::npos);
}

TEST(BatteryReportTest, SecondBatteryLabelStillReadsBattery1AndVerdictUsesTheDefault) {
  BatteryInfo info = PresentPack();
  info.index = 2;
  info.cycleCount = 300;
  info.lifeCapacity = 69;
  const std::wstring text = BuildBatteryReport(info);
  EXPECT_TRUE(text.starts_with(L"[ Battery 2 Attach : Yes ]\n\n"));
  EXPECT_NE(text.find(L"\n\nBattery1 status : FAIL\n"), std::wstring::npos);
}

}  // namespace
}  // namespace interp
