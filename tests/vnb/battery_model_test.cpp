// The packs' physics on their own, and the notebook's power system around them.
#include "vnb_test_support.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/identity.h"
#include "vnb/machine/notebook.h"
#include "vnb/machine/pack_model.h"

#include <cmath>

namespace vnbtest {
namespace {

vnb::BatterySlot Pack(std::size_t stock, double soc) {
  vnb::BatterySlot slot{};
  slot.exists = 1;
  slot.present = 1;
  vnb::InitialisePack(slot, vnb::StockPack(stock), soc, 10, 25.0);
  vnb::ComputeReadings(slot, 0);
  return slot;
}

// Runs a pack for `seconds`, one minute at a time, calling `each` after every minute.
template <class F>
void RunPack(vnb::BatterySlot& slot, const vnb::PackEnvironment& env, double seconds, F each) {
  for (double t = 0; t < seconds; t += 60.0) {
    vnb::StepPack(slot, env, 60.0);
    vnb::ComputeReadings(slot, static_cast<std::uint64_t>(t));
    each(slot);
  }
}

TEST(PackModel, ChargingRunsConstantCurrentThenConstantVoltageToFull) {
  vnb::BatterySlot slot = Pack(0, 0.30);
  vnb::PackEnvironment charger;
  charger.charge = true;
  bool sawCc = false, sawCv = false;
  std::uint8_t lastRsoc = slot.readings.relativeStateOfCharge;
  int maxVoltage = 0;
  RunPack(slot, charger, 6 * 3600, [&](const vnb::BatterySlot& s) {
    if (s.physics.phase == vnb::PackPhase::kConstantCurrent) {
      sawCc = true;
      EXPECT_FALSE(sawCv) << "back to constant current after constant voltage";
      EXPECT_NEAR(s.physics.current, 2200, 1);
    }
    if (s.physics.phase == vnb::PackPhase::kConstantVoltage) {
      sawCv = true;
      EXPECT_LT(s.physics.current, 2200);
    }
    EXPECT_GE(s.readings.relativeStateOfCharge, lastRsoc);
    lastRsoc = s.readings.relativeStateOfCharge;
    maxVoltage = std::max<int>(maxVoltage, s.readings.voltage);
    if (s.readings.charging) {
      EXPECT_EQ(s.readings.status & vnb::kStatusDischarging, 0);
    }
  });
  EXPECT_TRUE(sawCc);
  EXPECT_TRUE(sawCv);
  EXPECT_LE(maxVoltage, 12600 + 3);  // never above the charging voltage (plus gauge noise)
  EXPECT_EQ(slot.physics.phase, vnb::PackPhase::kFull);
  EXPECT_EQ(slot.readings.relativeStateOfCharge, 100);
  EXPECT_NE(slot.readings.status & vnb::kStatusFullyCharged, 0);
  EXPECT_EQ(slot.readings.chargingCurrent, 0);
  EXPECT_EQ(slot.readings.stateByte & vnb::kStateCharging, 0);
}

TEST(PackModel, DischargeLowersChargeVoltageAndCountsCycles) {
  vnb::BatterySlot slot = Pack(1, 1.0);
  vnb::PackEnvironment load;
  load.loadPower = 20.0;
  const std::uint16_t cycles = slot.readings.cycleCount;
  const std::uint16_t startVoltage = slot.readings.voltage;
  std::uint8_t lastRsoc = 100;
  bool sawRunTime = false;
  RunPack(slot, load, 4 * 3600, [&](const vnb::BatterySlot& s) {
    EXPECT_LE(s.readings.relativeStateOfCharge, lastRsoc);
    lastRsoc = s.readings.relativeStateOfCharge;
    if (s.readings.discharging) {
      EXPECT_LT(s.readings.current, 0);
      EXPECT_NE(s.readings.status & vnb::kStatusDischarging, 0);
      sawRunTime = sawRunTime || s.readings.runTimeToEmpty < 600;
    }
  });
  EXPECT_TRUE(sawRunTime);
  EXPECT_LT(slot.readings.voltage, startVoltage);
  EXPECT_EQ(slot.readings.relativeStateOfCharge, 0);
  EXPECT_NE(slot.readings.status & vnb::kStatusFullyDischarged, 0);
  EXPECT_NE(slot.readings.status & vnb::kStatusRemainingCapacityAlarm, 0);
  EXPECT_EQ(slot.readings.cycleCount, cycles + 1);  // one full discharge is one cycle
  EXPECT_EQ(slot.physics.current, 0.0);             // cut off at empty
}

TEST(PackModel, OneLongStepCountsOnlyTheChargeThePackDelivered) {
  // A machine left alone at a high speed moves on by days at once; emptying a full pack is
  // still one cycle, not the current times the whole step.
  for (double seconds : {3.6e6, 3.6e9, 8.64e10}) {
    vnb::BatterySlot slot = Pack(1, 1.0);
    vnb::PackEnvironment load;
    load.loadPower = 20.0;
    const std::uint16_t cycles = slot.physics.cycleCount;
    vnb::StepPack(slot, load, seconds);
    vnb::ComputeReadings(slot, 0);
    EXPECT_EQ(slot.readings.remaining, 0) << seconds;
    EXPECT_EQ(slot.readings.cycleCount, cycles + 1) << seconds;
  }
}

TEST(PackModel, VoltageFollowsChargeAndCellCountWithImbalancedCells) {
  const vnb::BatterySlot three = Pack(0, 0.5);
  const vnb::BatterySlot four = Pack(1, 0.5);
  EXPECT_NEAR(three.readings.voltage / 3.0, four.readings.voltage / 4.0, 15.0);
  EXPECT_LT(Pack(0, 0.1).readings.voltage, Pack(0, 0.9).readings.voltage);
  for (const vnb::BatterySlot* s : {&three, &four}) {
    int sum = 0;
    std::uint16_t lo = 0xFFFF, hi = 0;
    for (std::size_t k = 0; k < s->identity.seriesCells; ++k) {
      sum += s->readings.cellVoltage[k];
      lo = std::min(lo, s->readings.cellVoltage[k]);
      hi = std::max(hi, s->readings.cellVoltage[k]);
    }
    EXPECT_EQ(sum, s->readings.voltage);
    EXPECT_GT(hi - lo, 5);  // the cells are not identical
  }
  EXPECT_EQ(three.readings.cellVoltage[3], 0);
  // The spread grows as the pack empties.
  const vnb::BatterySlot low = Pack(0, 0.05);
  EXPECT_GT(low.readings.cellVoltage[0] - low.readings.cellVoltage[2],
            Pack(0, 0.95).readings.cellVoltage[0] - Pack(0, 0.95).readings.cellVoltage[2]);
}

// The percentage the I2C battery model computes from the block's capacities.
std::uint8_t BlockPercentage(std::uint16_t a, std::uint16_t b) {
  if (b == 0) return 0;
  const float ratio = static_cast<float>(a) / static_cast<float>(b);
  return static_cast<std::uint8_t>(static_cast<long>(std::floor(static_cast<double>(ratio) * 100.0 + 0.5)) & 0xFF);
}

TEST(PackModel, StateOfChargeAgreesWithTheCapacitiesTheGaugeReports) {
  // The EC RAM, SMBus and mailbox paths report the gauge's percentages; the I2C path derives
  // them from remaining, full-charge and design capacity. Both must give the same number.
  for (double fullCharge : {3999.6, 4345.38, 2666.5}) {
    vnb::BatterySlot slot = Pack(0, 0.5);
    slot.physics.fullCharge = fullCharge;
    for (double remaining = 0.0; remaining <= fullCharge; remaining += 0.37) {
      slot.physics.remaining = remaining;
      vnb::ComputeReadings(slot, 0);
      const vnb::PackReadings& r = slot.readings;
      ASSERT_LE(r.remaining, r.fullCharge);
      ASSERT_EQ(r.relativeStateOfCharge, BlockPercentage(r.remaining, r.fullCharge))
          << remaining << " of " << fullCharge;
      ASSERT_EQ(r.absoluteStateOfCharge, BlockPercentage(r.remaining, slot.identity.designCapacity))
          << remaining << " of " << fullCharge;
    }
    // A full pack reports its full charge as remaining.
    slot.physics.remaining = fullCharge;
    vnb::ComputeReadings(slot, 0);
    EXPECT_EQ(slot.readings.remaining, slot.readings.fullCharge) << fullCharge;
    EXPECT_EQ(slot.readings.relativeStateOfCharge, 100);
  }
}

TEST(PackModel, TemperatureRisesWithCurrentAndRelaxesWithout) {
  vnb::BatterySlot slot = Pack(0, 0.9);
  vnb::PackEnvironment heavy;
  heavy.loadPower = 45.0;  // about 4 A
  RunPack(slot, heavy, 1800, [](const vnb::BatterySlot&) {});
  const double hot = slot.physics.temperature;
  EXPECT_GT(hot, 35.0);
  RunPack(slot, vnb::PackEnvironment{}, 3600, [](const vnb::BatterySlot&) {});
  EXPECT_LT(slot.physics.temperature, hot - 5.0);
  EXPECT_GT(slot.physics.temperature, 24.0);
}

TEST(PackIdentity, StockPacksCarryCharactersThatDecodeToTheirPack) {
  for (std::size_t i = 0; i < 2; ++i) {
    const vnb::PackIdentity id = vnb::StockPack(i);
    const std::string name = id.manufacturerName;
    ASSERT_EQ(name.size(), 10u);
    EXPECT_EQ(name[9], vnb::PackConfigChar(id.seriesCells, id.parallelCells));
    EXPECT_NE(name[9], '?');
    EXPECT_NE(vnb::ThrottleCurrentFromChar(name[6]), 0);
    EXPECT_NE(vnb::ThrottleTemperatureFromChar(name[7]), 0);
    EXPECT_NE(vnb::VeryLowVoltageFromChar(name[8]), 0);
    EXPECT_NE(std::string("012345678ABC").find(name[3]), std::string::npos) << "gauge type";
    const std::string chemistry = id.chemistry;
    ASSERT_EQ(chemistry.size(), 4u);
    EXPECT_NE(std::string("0LMNP").find(chemistry[0]), std::string::npos);
    EXPECT_NE(std::string("ABCDEFGHKLPRTWXY").find(chemistry[1]), std::string::npos);
    EXPECT_NE(std::string("ACDILMOPSTWY").find(chemistry[2]), std::string::npos);
    EXPECT_EQ(std::string(id.deviceName).size(), 7u);
  }
  EXPECT_EQ(vnb::ThrottleCurrentFromChar('F'), 5000);
  EXPECT_EQ(vnb::ThrottleCurrentFromChar('z'), 15250);
  EXPECT_EQ(vnb::ThrottleTemperatureFromChar('9'), 255);
  EXPECT_EQ(vnb::VeryLowVoltageFromChar('?'), 0);
}

using PowerSystem = VnbTest;

TEST_F(PowerSystem, FreshMachineChargesOnePackWhileTheOtherWaits) {
  const vnb::ec::BatteryMap& first = vnb::ec::MapOf(0);
  const vnb::ec::BatteryMap& second = vnb::ec::MapOf(1);
  EXPECT_EQ(ReadEc(0x0380), 0x07);  // AC, both present
  EXPECT_NE(ReadEc(first.state) & vnb::kStateCharging, 0);
  EXPECT_EQ(ReadEc(second.state) & vnb::kStateCharging, 0);
  const std::uint16_t before = ReadEcWord(first.rsoc);
  TheMachine().AdvanceSimulated(1800);
  EXPECT_GT(ReadEcWord(first.rsoc), before);
  // Once the first is full the charger moves on to the second.
  TheMachine().AdvanceSimulated(4 * 3600);
  EXPECT_EQ(ReadEcWord(first.rsoc), 100);
  EXPECT_NE(ReadEcWord(first.status) & vnb::kStatusFullyCharged, 0);
  EXPECT_NE(ReadEcWord(second.status) & vnb::kStatusFullyCharged, 0);
}

TEST_F(PowerSystem, PullingAcDischargesAndRemovalClearsPresence) {
  const vnb::ec::BatteryMap& first = vnb::ec::MapOf(0);
  ASSERT_TRUE(TheMachine().SetAc(false));
  EXPECT_EQ(ReadEc(0x0380) & 1, 0);
  EXPECT_LT(static_cast<std::int16_t>(ReadEcWord(first.current)), -500);
  const std::uint16_t before = ReadEcWord(first.remaining);
  TheMachine().AdvanceSimulated(600);
  EXPECT_LT(ReadEcWord(first.remaining), before);

  ASSERT_TRUE(TheMachine().SetBattery(0, false, nullptr));
  EXPECT_EQ(ReadEc(0x0380) & 0x02, 0);
  EXPECT_EQ(ReadEcWord(first.voltage), 0);
  EXPECT_EQ(ReadEc(first.name), 0);
  EXPECT_EQ(SmbusWord(0x09), 0);  // nobody answers on the bus
  // The second pack takes the load.
  EXPECT_LT(static_cast<std::int16_t>(ReadEcWord(vnb::ec::MapOf(1).current)), -500);
  ASSERT_TRUE(TheMachine().SetBattery(0, true, nullptr));
  EXPECT_EQ(ReadEc(0x0380) & 0x02, 0x02);
  EXPECT_EQ(ReadEc(first.name), 'N');
}

TEST_F(PowerSystem, ThrottleStatusFollowsSetPointsWithHysteresis) {
  const std::uint16_t status = 0x0672;
  ASSERT_TRUE(TheMachine().SetAc(false));  // battery 1 carries about 1.2 A
  EXPECT_EQ(ReadEc(status) & 0x01, 0);     // default on-point 4000 mA
  // On above 500 mA, off below 300 mA (stored complemented, high byte first).
  const std::uint16_t on = 0xFFFF - 500, off = 0xFFFF - 300;
  WriteEc(0x066A, static_cast<std::uint8_t>(on >> 8));
  WriteEc(0x066B, static_cast<std::uint8_t>(on & 0xFF));
  WriteEc(0x066C, static_cast<std::uint8_t>(off >> 8));
  WriteEc(0x066D, static_cast<std::uint8_t>(off & 0xFF));
  TheMachine().AdvanceSimulated(1);
  EXPECT_EQ(ReadEc(status) & 0x01, 0x01);
  // Between the two points the bit stays as it is.
  const std::uint16_t onHigh = 0xFFFF - 5000;
  WriteEc(0x066A, static_cast<std::uint8_t>(onHigh >> 8));
  WriteEc(0x066B, static_cast<std::uint8_t>(onHigh & 0xFF));
  TheMachine().AdvanceSimulated(1);
  EXPECT_EQ(ReadEc(status) & 0x01, 0x01);
  // Below the off point it clears.
  const std::uint16_t offHigh = 0xFFFF - 4500;
  WriteEc(0x066C, static_cast<std::uint8_t>(offHigh >> 8));
  WriteEc(0x066D, static_cast<std::uint8_t>(offHigh & 0xFF));
  TheMachine().AdvanceSimulated(1);
  EXPECT_EQ(ReadEc(status) & 0x01, 0);
  EXPECT_EQ(ReadEc(status) & 0x02, 0);  // battery 2 carries nothing
}

TEST_F(PowerSystem, ThrottleStatusBitTwoWhileAPackIsAboveItsThrottleTemperature) {
  {
    vnb::Session session(TheMachine());
    session.state().slots[1].physics.temperature = 80.0;  // battery 2 throttles above 75 C
    vnb::RefreshDerived(session.state());
  }
  EXPECT_EQ(ReadEc(0x0672) & 0x04, 0x04);
  EXPECT_NE(ReadEcWord(vnb::ec::MapOf(1).status) & vnb::kStatusOverTemperatureAlarm, 0);
  {
    vnb::Session session(TheMachine());
    session.state().slots[1].physics.temperature = 70.0;
    vnb::RefreshDerived(session.state());
  }
  EXPECT_EQ(ReadEc(0x0672) & 0x04, 0);
}

struct PowerWizCase {
  const char* profile;
  std::uint16_t base;
  std::uint16_t voltage;  // battery 1's voltage in this layout
};

class PowerWizReadings : public VnbTest, public ::testing::WithParamInterface<PowerWizCase> {};

TEST_P(PowerWizReadings, S3AndD3SitBesideTheBatteryMap) {
  UseProfile(GetParam().profile);
  const std::uint16_t base = GetParam().base;
  EXPECT_EQ(ReadEcWord(base), ReadEcWord(GetParam().voltage));                   // S3 voltage
  EXPECT_GT(ReadEcWord(static_cast<std::uint16_t>(base + 2)), ReadEcWord(static_cast<std::uint16_t>(base + 6)));  // S3 > D3 drain
  EXPECT_EQ(ReadEcWord(static_cast<std::uint16_t>(base + 4)), ReadEcWord(GetParam().voltage));  // D3 voltage
  EXPECT_GT(ReadEcWord(static_cast<std::uint16_t>(base + 6)), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PowerWizReadings,
                         ::testing::Values(PowerWizCase{"window-wmi", 0x0628, 0x03B2},
                                           PowerWizCase{"alt-kl", 0xFA28, 0xF7B2}),
                         ByProfile());

TEST_F(PowerSystem, ReadingsMoveWithTheClock) {
  const vnb::ec::BatteryMap& first = vnb::ec::MapOf(0);
  ASSERT_TRUE(TheMachine().SetSpeed(600.0, nullptr));
  const std::uint16_t before = ReadEcWord(first.remaining);
  usleep(300000);
  EXPECT_GT(ReadEcWord(first.remaining), before);
}

}  // namespace
}  // namespace vnbtest
