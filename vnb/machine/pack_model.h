// The physics of one smart battery pack: charge and discharge, constant-current then
// constant-voltage charging, voltage from state of charge and cell count, cell imbalance,
// temperature from current, cycle count, and the values its gauge reports.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstdint>

namespace vnb {

// What the rest of the notebook does to a pack during one step.
struct PackEnvironment {
  bool charge = false;       // the charger serves this pack
  double loadPower = 0.0;    // W the system draws from this pack (0 when another source serves it)
  double ambient = 25.0;     // degrees Celsius
};

// Puts a pack of the given identity into a slot at a state of charge (0..1).
void InitialisePack(BatterySlot& slot, const PackIdentity& identity, double stateOfCharge,
                    std::uint16_t cycleCount, double temperature);

// Advances the pack by dt simulated seconds (any length: long steps are cut into short ones).
void StepPack(BatterySlot& slot, const PackEnvironment& environment, double dt);

// Refreshes slot.readings from the physics; `noiseSeed` varies the gauge's last digits per step.
void ComputeReadings(BatterySlot& slot, std::uint64_t noiseSeed);

// True while the pack would take charge (not terminated, or dropped below 95 % since).
bool WantsCharge(const BatterySlot& slot);
// True while the pack can deliver current.
bool CanDischarge(const BatterySlot& slot);

// Open-circuit voltage of one cell at a state of charge (0..1), mV.
double CellOpenCircuitVoltage(double stateOfCharge);
// Pack voltage at a current (mA, positive charging), mV.
double PackTerminalVoltage(const BatterySlot& slot, double current);

// BatteryStatus bits.
inline constexpr std::uint16_t kStatusOverChargedAlarm = 0x8000;
inline constexpr std::uint16_t kStatusTerminateChargeAlarm = 0x4000;
inline constexpr std::uint16_t kStatusOverTemperatureAlarm = 0x1000;
inline constexpr std::uint16_t kStatusTerminateDischargeAlarm = 0x0800;
inline constexpr std::uint16_t kStatusRemainingCapacityAlarm = 0x0200;
inline constexpr std::uint16_t kStatusRemainingTimeAlarm = 0x0100;
inline constexpr std::uint16_t kStatusInitialized = 0x0080;
inline constexpr std::uint16_t kStatusDischarging = 0x0040;
inline constexpr std::uint16_t kStatusFullyCharged = 0x0020;
inline constexpr std::uint16_t kStatusFullyDischarged = 0x0010;

// EC battery state byte bits.
inline constexpr std::uint8_t kStateDischarging = 0x01;
inline constexpr std::uint8_t kStateCharging = 0x02;
inline constexpr std::uint8_t kStateLow = 0x04;
inline constexpr std::uint8_t kStateFull = 0x08;

}  // namespace vnb
