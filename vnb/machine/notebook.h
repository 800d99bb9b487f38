// Whole-machine behaviour over the segment's state: a fresh machine of a profile, one step of
// simulated time, and the refresh of every derived value after a change.
#pragma once

#include "vnb/machine/machine_state.h"

#include <cstddef>
#include <cstdint>

namespace vnb {

// Sets the machine up as a fresh notebook of the profile (keeps the clock's speed).
void ResetMachine(MachineState& state, std::size_t profile);
// Moves the batteries by dt simulated seconds: the charger, the system load, the packs.
void StepMachine(MachineState& state, double dt);
// Recomputes the readings, the throttle status and the EC RAM mirror from the model.
void RefreshDerived(MachineState& state);
// What the system draws at a simulated time, W.
double SystemLoad(double simSeconds);

std::int64_t MonotonicNs();

}  // namespace vnb
