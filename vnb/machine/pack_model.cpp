#include "vnb/machine/pack_model.h"

#include <algorithm>
#include <cmath>

namespace vnb {
namespace {

constexpr double kCellResistance = 70.0;     // mOhm per cell
constexpr double kHeatPerAmpSquared = 1.6;   // steady-state rise, degrees C per A^2
constexpr double kThermalTimeConstant = 900.0;  // s
constexpr double kAverageTimeConstant = 60.0;   // s, the gauge's average current
constexpr double kCycleThreshold = 0.9;      // fraction of design capacity discharged per cycle
constexpr double kAgingPerCycle = 0.00022;   // full charge capacity lost per cycle
constexpr double kMaxSubstep = 2.0;          // s

// Li-ion open-circuit voltage per cell, every 5 % of charge.
constexpr double kOcv[21] = {3000, 3300, 3450, 3550, 3620, 3670, 3700, 3720, 3740, 3760, 3780,
                             3810, 3840, 3870, 3910, 3950, 3990, 4030, 4070, 4130, 4190};

double StateOfCharge(const BatterySlot& slot) {
  const PackPhysics& p = slot.physics;
  return p.fullCharge > 0 ? std::clamp(p.remaining / p.fullCharge, 0.0, 1.0) : 0.0;
}

double PackResistance(const PackIdentity& id) {
  return kCellResistance * id.seriesCells / std::max<int>(1, id.parallelCells);
}

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint16_t ClampWord(double value) {
  return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

// Whole-number percentage of two reported capacities, computed the way the host computes it
// from the I2C battery block (single-precision ratio, rounded half up), so that a percentage
// the gauge reports and one derived from its capacities never differ.
std::uint8_t CapacityPercentage(std::uint16_t part, std::uint16_t whole) {
  if (whole == 0) return 0;
  const float ratio = static_cast<float>(part) / static_cast<float>(whole);
  const double percent = std::floor(static_cast<double>(ratio) * 100.0 + 0.5);
  return static_cast<std::uint8_t>(std::clamp(percent, 0.0, 100.0));
}

void SubStep(BatterySlot& slot, const PackEnvironment& env, double dt) {
  PackIdentity& id = slot.identity;
  PackPhysics& p = slot.physics;
  const double soc = StateOfCharge(slot);
  const double ocv = CellOpenCircuitVoltage(soc) * id.seriesCells;
  const double resistance = PackResistance(id);
  double current = 0.0;

  if (env.charge && WantsCharge(slot)) {
    const double cv = static_cast<double>(id.cellChargeVoltage) * id.seriesCells;
    current = id.ccCurrent;
    p.phase = PackPhase::kConstantCurrent;
    if (ocv + current * resistance / 1000.0 >= cv) {
      current = std::max(0.0, (cv - ocv) * 1000.0 / resistance);
      p.phase = PackPhase::kConstantVoltage;
    }
    p.fullyDischarged = 0;
    // Charge terminates when the taper current falls below C/20 or the gauge reads full.
    if ((p.phase == PackPhase::kConstantVoltage && current < id.designCapacity / 20.0) ||
        p.remaining >= p.fullCharge) {
      current = 0.0;
      p.remaining = p.fullCharge;
      p.phase = PackPhase::kFull;
      p.fullyCharged = 1;
    }
  } else if (env.loadPower > 0.0 && CanDischarge(slot)) {
    const double voltage = std::max(1000.0, ocv);
    current = -env.loadPower * 1e6 / voltage;
    p.phase = PackPhase::kDischarging;
  } else {
    p.phase = p.fullyCharged ? PackPhase::kFull : PackPhase::kIdle;
  }

  p.current = current;
  const double before = p.remaining;
  p.remaining = std::clamp(p.remaining + current * dt / 3600.0, 0.0, p.fullCharge);
  if (p.remaining <= 0.0 && current < 0.0) {
    p.fullyDischarged = 1;  // the gauge cuts the pack off at empty
    p.phase = PackPhase::kIdle;
  }
  if (p.fullyCharged && p.remaining < 0.95 * p.fullCharge) p.fullyCharged = 0;

  if (current < 0.0) {
    // What the pack delivered, which a long step that empties it cuts short.
    p.dischargedSinceCycle += before - p.remaining;
    const double perCycle = kCycleThreshold * id.designCapacity;
    while (p.dischargedSinceCycle >= perCycle) {
      p.dischargedSinceCycle -= perCycle;
      if (p.cycleCount < 65535) ++p.cycleCount;
      p.fullCharge = id.designCapacity * std::max(0.5, 1.0 - kAgingPerCycle * p.cycleCount);
      p.remaining = std::min(p.remaining, p.fullCharge);
    }
  }

  const double amps = current / 1000.0;
  const double target = env.ambient + kHeatPerAmpSquared * amps * amps;
  p.temperature += (target - p.temperature) * (1.0 - std::exp(-dt / kThermalTimeConstant));
  p.averageCurrent += (current - p.averageCurrent) * (1.0 - std::exp(-dt / kAverageTimeConstant));
}

}  // namespace

double CellOpenCircuitVoltage(double stateOfCharge) {
  const double x = std::clamp(stateOfCharge, 0.0, 1.0) * 20.0;
  const int i = std::min(19, static_cast<int>(x));
  return kOcv[i] + (kOcv[i + 1] - kOcv[i]) * (x - i);
}

double PackTerminalVoltage(const BatterySlot& slot, double current) {
  const double ocv = CellOpenCircuitVoltage(StateOfCharge(slot)) * slot.identity.seriesCells;
  return ocv + current * PackResistance(slot.identity) / 1000.0;
}

bool WantsCharge(const BatterySlot& slot) {
  return slot.present && !slot.physics.fullyCharged;
}

bool CanDischarge(const BatterySlot& slot) {
  return slot.present && slot.physics.remaining > 0.0;
}

void InitialisePack(BatterySlot& slot, const PackIdentity& identity, double stateOfCharge,
                    std::uint16_t cycleCount, double temperature) {
  slot.identity = identity;
  PackPhysics& p = slot.physics;
  p = PackPhysics{};
  p.cycleCount = cycleCount;
  p.fullCharge = identity.designCapacity * std::max(0.5, 1.0 - kAgingPerCycle * cycleCount);
  p.remaining = p.fullCharge * std::clamp(stateOfCharge, 0.0, 1.0);
  p.temperature = temperature;
  p.fullyCharged = stateOfCharge >= 1.0 ? 1 : 0;
  p.phase = p.fullyCharged ? PackPhase::kFull : PackPhase::kIdle;
}

void StepPack(BatterySlot& slot, const PackEnvironment& environment, double dt) {
  if (!slot.present || dt <= 0.0) {
    slot.physics.current = 0.0;
    slot.physics.averageCurrent = 0.0;
    if (dt > 0.0) {
      // A pack out of its slot cools towards the ambient.
      PackPhysics& p = slot.physics;
      p.temperature += (environment.ambient - p.temperature) * (1.0 - std::exp(-dt / kThermalTimeConstant));
    }
    return;
  }
  // Long steps (a fast clock, a machine left alone) are cut into pieces the model stays stable on.
  const double piece = std::max(kMaxSubstep, dt / 2000.0);
  double left = dt;
  while (left > 0.0) {
    const double h = std::min(piece, left);
    SubStep(slot, environment, h);
    left -= h;
  }
}

void ComputeReadings(BatterySlot& slot, std::uint64_t noiseSeed) {
  PackReadings r{};
  if (!slot.present) {
    slot.readings = r;
    return;
  }
  const PackIdentity& id = slot.identity;
  const PackPhysics& p = slot.physics;
  const std::uint64_t h = Mix(noiseSeed);
  const double soc = StateOfCharge(slot);

  // The gauge's current reading has an offset of a few mA around zero.
  double current = p.current;
  if (std::fabs(current) < 1.0) {
    current = -1.0 - static_cast<double>(h % 4);
  } else {
    current += static_cast<double>(h % 7) - 3.0;
  }
  r.current = static_cast<std::int16_t>(std::clamp(std::lround(current), -32768L, 32767L));
  r.averageCurrent = static_cast<std::int16_t>(std::clamp(std::lround(p.averageCurrent), -32768L, 32767L));

  // Cells around the pack mean; the spread grows as the pack empties.
  const double packVoltage = PackTerminalVoltage(slot, p.current) + static_cast<double>((h >> 8) % 5) - 2.0;
  const double mean = packVoltage / id.seriesCells;
  const double spread = 1.0 + 2.0 * (1.0 - soc);
  int sum = 0;
  for (std::size_t k = 0; k < kCells; ++k) {
    if (k < id.seriesCells) {
      r.cellVoltage[k] = ClampWord(mean + id.cellImbalance[k] * spread);
      sum += r.cellVoltage[k];
    }
  }
  r.voltage = static_cast<std::uint16_t>(sum);

  const double deciKelvin = p.temperature * 10.0 + 2731.0 + static_cast<double>((h >> 16) % 3) - 1.0;
  r.temperatureDeciKelvin = ClampWord(deciKelvin);
  // Whole mAh, both rounded down, so that a full pack reports remaining = full charge; the
  // percentages follow from the reported capacities.
  r.fullCharge = ClampWord(std::floor(p.fullCharge));
  r.remaining = std::min(ClampWord(std::floor(p.remaining)), r.fullCharge);
  r.relativeStateOfCharge = CapacityPercentage(r.remaining, r.fullCharge);
  r.absoluteStateOfCharge = CapacityPercentage(r.remaining, id.designCapacity);
  r.maxError = static_cast<std::uint8_t>(std::min(5, 1 + p.cycleCount / 200));
  r.cycleCount = p.cycleCount;
  r.mode = 0x6001;  // internal charge controller supported, broadcasts off

  r.charging = p.phase == PackPhase::kConstantCurrent || p.phase == PackPhase::kConstantVoltage;
  r.discharging = p.phase == PackPhase::kDischarging;
  r.runTimeToEmpty = p.current < -1.0 ? ClampWord(std::min(65534.0, p.remaining / -p.current * 60.0)) : 65535;
  r.averageTimeToEmpty =
      p.averageCurrent < -1.0 ? ClampWord(std::min(65534.0, p.remaining / -p.averageCurrent * 60.0)) : 65535;
  r.averageTimeToFull = p.averageCurrent > 1.0
                            ? ClampWord(std::min(65534.0, (p.fullCharge - p.remaining) / p.averageCurrent * 60.0))
                            : 65535;
  if (p.fullyCharged) {
    r.chargingCurrent = 0;
  } else if (p.phase == PackPhase::kConstantVoltage) {
    r.chargingCurrent = ClampWord(p.current);
  } else {
    r.chargingCurrent = id.ccCurrent;
  }
  r.chargingVoltage = static_cast<std::uint16_t>(id.cellChargeVoltage * id.seriesCells);

  std::uint16_t status = kStatusInitialized;
  if (!r.charging) status |= kStatusDischarging;
  if (p.fullyCharged) status |= kStatusFullyCharged | kStatusTerminateChargeAlarm;
  if (p.fullyDischarged) status |= kStatusFullyDischarged | kStatusTerminateDischargeAlarm;
  if (p.remaining < id.designCapacity / 10.0) status |= kStatusRemainingCapacityAlarm;
  if (r.discharging && r.runTimeToEmpty < 10) status |= kStatusRemainingTimeAlarm;
  if (p.temperature >= 60.0) status |= kStatusOverTemperatureAlarm;
  r.status = status;

  std::uint8_t state = 0;
  if (r.discharging) state |= kStateDischarging;
  if (r.charging) state |= kStateCharging;
  if (r.relativeStateOfCharge < 10) state |= kStateLow;
  if (p.fullyCharged) state |= kStateFull;
  r.stateByte = state;
  slot.readings = r;
}

}  // namespace vnb
