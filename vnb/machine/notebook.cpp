#include "vnb/machine/notebook.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/firmware.h"
#include "vnb/machine/identity.h"
#include "vnb/machine/pack_model.h"
#include "vnb/machine/profiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

namespace vnb {
namespace {

constexpr double kAmbient = 25.0;
constexpr double kMaxChunk = 30.0;  // s between re-deciding who charges and who serves the load
constexpr double kPi = 3.14159265358979323846;

// Default throttle set-points: on above 4000 mA, off below 3000 mA (stored complemented).
constexpr std::uint16_t kDefaultThrottleOn = 0xFFFF - 4000;
constexpr std::uint16_t kDefaultThrottleOff = 0xFFFF - 3000;

}  // namespace

std::int64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

double SystemLoad(double t) {
  return 13.0 + 4.0 * std::sin(2 * kPi * t / 420.0) + 2.0 * std::sin(2 * kPi * t / 37.0);
}

void ResetMachine(MachineState& state, std::size_t profileIndex) {
  const Profile& profile = ProfileAt(profileIndex);
  state.config = MachineConfig{};
  state.config.profile = static_cast<std::uint32_t>(profileIndex);
  state.config.acPlugged = 1;

  const double speed = state.clock.speed;
  const std::int64_t now = MonotonicNs();
  state.clock = Clock{};
  state.clock.speed = speed;
  state.clock.realBaseNs = now;
  state.clock.lastStepNs = now;

  std::memset(state.ecRam, 0, sizeof state.ecRam);
  std::memset(&state.smbus, 0, sizeof state.smbus);
  for (std::size_t i = 0; i < kBatterySlots; ++i) {
    BatterySlot& slot = state.slots[i];
    slot = BatterySlot{};
    slot.exists = i < profile.batterySlots ? 1 : 0;
    slot.present = slot.exists;
    // The first pack is part way through charging, the second waits its turn.
    if (i == 0) InitialisePack(slot, StockPack(0), 0.42, 57, 27.8);
    if (i == 1) InitialisePack(slot, StockPack(1), 0.87, 213, 26.1);
    StoreSetPointWord(state, i, true, kDefaultThrottleOn);
    StoreSetPointWord(state, i, false, kDefaultThrottleOff);
  }
  BuildRom(state);
  BuildFirmware(state);
  std::uint8_t* acpi = reinterpret_cast<std::uint8_t*>(&state) + kPhysAcpiBuffer;
  acpi[0] = 48;
  acpi[2] = 2;
  acpi[4] = 48;
  // A first step of zero length gives the packs their currents and readings.
  StepMachine(state, 0.0);
  for (BatterySlot& slot : state.slots) slot.physics.averageCurrent = slot.physics.current;
  RefreshDerived(state);
}

void StepMachine(MachineState& state, double dt) {
  double done = 0.0;
  const double chunk = std::max(kMaxChunk, dt / 1000.0);
  do {
    const double h = std::min(chunk, dt - done);
    const double load = SystemLoad(state.clock.simNow + done);
    PackEnvironment env[kBatterySlots];
    if (state.config.acPlugged) {
      // The charger serves one pack at a time, the first that takes charge.
      for (std::size_t i = 0; i < kBatterySlots; ++i) {
        if (state.slots[i].exists && WantsCharge(state.slots[i])) {
          env[i].charge = true;
          break;
        }
      }
    } else {
      // On battery the first pack that can deliver carries the load.
      for (std::size_t i = 0; i < kBatterySlots; ++i) {
        if (state.slots[i].exists && CanDischarge(state.slots[i])) {
          env[i].loadPower = load;
          break;
        }
      }
    }
    for (std::size_t i = 0; i < kBatterySlots; ++i) {
      env[i].ambient = kAmbient;
      if (!state.slots[i].exists) continue;
      if (h > 0.0) {
        StepPack(state.slots[i], env[i], h);
      } else {
        // Zero-length step: settle the currents the packs would draw right now.
        BatterySlot probe = state.slots[i];
        StepPack(probe, env[i], 1e-3);
        state.slots[i].physics.current = probe.physics.current;
        state.slots[i].physics.phase = probe.physics.phase;
      }
    }
    done += h;
  } while (done < dt);
}

void RefreshDerived(MachineState& state) {
  for (std::size_t i = 0; i < kBatterySlots; ++i) {
    ComputeReadings(state.slots[i], state.clock.stepCount * 4 + i);
  }
  UpdateThrottleStatus(state);
  RefreshEcMirror(state);
}

}  // namespace vnb
