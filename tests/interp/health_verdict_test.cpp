#include "interp/health_verdict.h"

#include <gtest/gtest.h>

namespace interp {
namespace {

BatteryInfo CheckedPack(std::uint16_t cycles, std::uint8_t life) {
  BatteryInfo info(1);
  info.present = true;
  info.healthCheckEnabled = true;
  info.deviceChemistry = L"LION";
  info.deviceName = L"PK-01";
  info.cycleCount = cycles;
  info.lifeCapacity = life;
  return info;
}

struct VerdictCase {
  std::uint16_t cycles;
  std::uint8_t life;
  int verdict;
};

TEST(HealthVerdictTest, DefaultThresholdOf300AndTheLifeCapacityRule) {
  const VerdictCase cases[] = {
      {301, 0, 1},  {300, 69, 0}, {300, 70, 1}, {0, 69, 0},
      {0, 100, 1},  {65535, 0, 1}, {299, 69, 0},
  };
  for (const VerdictCase& c : cases) {
    BatteryInfo info = CheckedPack(c.cycles, c.life);
    EXPECT_EQ(GetHealthVerdict(info), c.verdict) << c.cycles << " cycles, " << int(c.life) << " %";
    ASSERT_TRUE(info.healthEntry.has_value());
    EXPECT_EQ(*info.healthEntry, DefaultHealthItem());
  }
  EXPECT_EQ(DefaultHealthItem().key, L"");
  EXPECT_EQ(DefaultHealthItem().value, L"default");
  EXPECT_EQ(DefaultHealthItem().threshold, 300);
}

struct MatchCase {
  const char* name;
  std::vector<BatteryHealthItem> table;
  std::int32_t threshold;  // of the row the lookup chooses
};

TEST(HealthVerdictTest, LookupTakesTheFirstMatchingRow) {
  const MatchCase cases[] = {
      {"chemistry first letter", {{L"chemistry[0]", L"L", 500}}, 500},
      {"chemistry is case-sensitive", {{L"chemistry[0]", L"l", 500}}, 300},
      {"chemistry value of two characters", {{L"chemistry[0]", L" L", 500}}, 300},
      {"chemistry value of the whole text", {{L"chemistry[0]", L"LION", 500}}, 300},
      {"device name", {{L"devicename", L"PK-01", 400}}, 400},
      {"device name must be whole", {{L"devicename", L"PK-0", 400}}, 300},
      {"device name is case-sensitive", {{L"devicename", L"pk-01", 400}}, 300},
      {"unknown key never matches", {{L"serial", L"PK-01", 10}, {L"DeviceName", L"PK-01", 20}}, 300},
      {"first of two matches", {{L"devicename", L"PK-01", 111}, {L"chemistry[0]", L"L", 222}}, 111},
      {"later row when the first misses",
       {{L"devicename", L"XX", 111}, {L"chemistry[0]", L"L", 222}}, 222},
  };
  for (const MatchCase& c : cases) {
    BatteryInfo info = CheckedPack(0, 0);
    info.healthTable = c.table;
    EXPECT_EQ(MatchHealthItem(info).threshold, c.threshold) << c.name;
    GetHealthVerdict(info);
    ASSERT_TRUE(info.healthEntry.has_value()) << c.name;
    EXPECT_EQ(info.healthEntry->threshold, c.threshold) << c.name;
  }
}

TEST(HealthVerdictTest, ThresholdMinusOnePassesEveryPackOfThatType) {
  BatteryInfo info = CheckedPack(0, 0);
  info.healthTable = {{L"chemistry[0]", L"L", -1}};
  EXPECT_EQ(GetHealthVerdict(info), 1);
}

TEST(HealthVerdictTest, EmptyChemistryMatchesNoChemistryRow) {
  BatteryInfo info = CheckedPack(0, 0);
  info.deviceChemistry.clear();
  info.healthTable = {{L"chemistry[0]", L"L", 5}};
  EXPECT_EQ(MatchHealthItem(info).threshold, 300);
}

TEST(HealthVerdictTest, NoCheckPossibleGivesMinusOneAndCachesNothing) {
  BatteryInfo disabled = CheckedPack(500, 100);
  disabled.healthCheckEnabled = false;
  EXPECT_EQ(GetHealthVerdict(disabled), -1);
  EXPECT_FALSE(disabled.healthEntry.has_value());

  BatteryInfo absent = CheckedPack(500, 100);
  absent.present = false;
  absent.healthTable = {{L"devicename", L"PK-01", 1000}};
  EXPECT_EQ(GetHealthVerdict(absent), -1);
  EXPECT_FALSE(absent.healthEntry.has_value());
}

TEST(HealthVerdictTest, MatchIsKeptUntilResetAndLookedUpAgainAfterIt) {
  BatteryInfo info = CheckedPack(400, 0);
  info.healthTable = {{L"devicename", L"PK-01", 500}, {L"devicename", L"PK-02", 100}};
  EXPECT_EQ(GetHealthVerdict(info), 0);  // 400 <= 500
  info.deviceName = L"PK-02";            // a later name change triggers no new lookup
  EXPECT_EQ(GetHealthVerdict(info), 0);

  ResetBatteryInfo(info);  // detached
  EXPECT_FALSE(info.healthEntry.has_value());
  info.present = true;     // re-attached as the other pack
  info.deviceName = L"PK-02";
  info.cycleCount = 400;
  EXPECT_EQ(GetHealthVerdict(info), 1);  // 400 > 100
  EXPECT_EQ(info.healthEntry->threshold, 100);
}

TEST(HealthTextTest, AttachmentThenChargingThenVerdict) {
  BatteryInfo info = CheckedPack(301, 0);
  EXPECT_EQ(GetHealthText(info), L"PASS");
  info = CheckedPack(300, 69);
  EXPECT_EQ(GetHealthText(info), L"FAIL");

  // On AC with a charging current the verdict is not consulted.
  info = CheckedPack(300, 69);
  info.acPresent = true;
  info.chargingCurrent = 1500;
  EXPECT_EQ(GetHealthText(info), L"Charging Battery");
  EXPECT_FALSE(info.healthEntry.has_value());
  info.chargingCurrent = 0;
  EXPECT_EQ(GetHealthText(info), L"FAIL");
  info.acPresent = false;
  info.chargingCurrent = 1500;
  EXPECT_EQ(GetHealthText(info), L"FAIL");

  info.healthCheckEnabled = false;
  EXPECT_EQ(GetHealthText(info), L"Unsupport");
  info.present = false;
  EXPECT_EQ(GetHealthText(info), L"Battery is not attached");
}

}  // namespace
}  // namespace interp
