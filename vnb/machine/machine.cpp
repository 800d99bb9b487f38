#include "vnb/machine/machine.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/ec_smbus.h"
#include "vnb/machine/notebook.h"

#include <cmath>
#include <cstdio>
#include <mutex>

namespace vnb {
namespace {

constexpr std::int64_t kStepNs = 50'000'000;  // the model moves at most every 50 ms of real time
constexpr double kMaxSpeed = 1e6;

}  // namespace

std::unique_ptr<Machine> Machine::Open(const std::string& segmentName, std::string* error) {
  std::unique_ptr<Segment> segment = Segment::Open(segmentName, error);
  if (!segment) return nullptr;
  return std::unique_ptr<Machine>(new Machine(std::move(segment)));
}

Machine* Machine::Process() {
  static std::once_flag once;
  static std::unique_ptr<Machine> machine;
  std::call_once(once, [] {
    std::string error;
    machine = Open(Segment::NameFromEnvironment(), &error);
    if (!machine) std::fprintf(stderr, "virtual notebook: %s\n", error.c_str());
  });
  return machine.get();
}

double SimulatedTime(const MachineState& state, std::int64_t nowNs) {
  const Clock& c = state.clock;
  return c.simBase + static_cast<double>(nowNs - c.realBaseNs) * 1e-9 * c.speed;
}

bool AdvanceClock(MachineState& state, std::int64_t nowNs) {
  Clock& c = state.clock;
  if (nowNs - c.lastStepNs < kStepNs) return false;
  c.lastStepNs = nowNs;
  const double sim = SimulatedTime(state, nowNs);
  const double dt = sim - c.simNow;
  if (!(dt > 0.0)) return false;
  StepMachine(state, dt);
  c.simNow = sim;
  ++c.stepCount;
  RefreshDerived(state);
  return true;
}

Session::Session(Machine& machine, HostRequest kind) : machine_(machine), now_(MonotonicNs()) {
  machine_.segment().Lock();
  MachineState& s = state();
  AdvanceClock(s, now_);
  if (kind != HostRequest::kObserve) SmbusPoll(s, now_, kind == HostRequest::kRequest);
}

bool Machine::SelectProfile(std::string_view name, std::string* error) {
  const std::optional<std::size_t> index = FindProfile(name);
  if (!index) {
    if (error) *error = "unknown profile \"" + std::string(name) + "\"";
    return false;
  }
  Session session(*this, HostRequest::kObserve);
  ResetMachine(session.state(), *index);
  return true;
}

bool Machine::SetAc(bool plugged) {
  Session session(*this, HostRequest::kObserve);
  session.state().config.acPlugged = plugged ? 1 : 0;
  StepMachine(session.state(), 0.0);
  RefreshDerived(session.state());
  return true;
}

bool Machine::SetBattery(std::size_t slot, bool present, std::string* error) {
  if (slot >= kBatterySlots) {
    if (error) *error = "no battery " + std::to_string(slot + 1) + " (use 1 or 2)";
    return false;
  }
  Session session(*this, HostRequest::kObserve);
  MachineState& s = session.state();
  if (!s.slots[slot].exists) {
    if (error) {
      *error = "profile " + std::string(ProfileAt(s.config.profile).name) + " has no battery " +
               std::to_string(slot + 1);
    }
    return false;
  }
  s.slots[slot].present = present ? 1 : 0;
  StepMachine(s, 0.0);
  RefreshDerived(s);
  return true;
}

bool Machine::SetFault(Fault fault, bool on) {
  Session session(*this, HostRequest::kObserve);
  MachineState& s = session.state();
  if (on) {
    s.config.faults |= FaultBit(fault);
  } else {
    s.config.faults &= ~FaultBit(fault);
  }
  if (fault == Fault::kRomNoSignature || fault == Fault::kBadVersion) BuildRom(s);
  if (fault == Fault::kSmbusBusyStuck && !on && s.smbus.running && !s.smbus.resultValid) {
    // The controller recovers: the stuck transaction ends without a result.
    s.smbus.running = 0;
    s.smbus.registers[smbus::kStatus] = smbus::kStatusDone | smbus::kStatusError;
    if (IsSecondLayout(s)) s.ecRam[ec::kSmbusBusy] = 0;
  }
  return true;
}

bool Machine::SetFault(std::string_view name, bool on, std::string* error) {
  const std::optional<Fault> fault = FindFault(name);
  if (!fault) {
    if (error) *error = "unknown fault \"" + std::string(name) + "\"";
    return false;
  }
  return SetFault(*fault, on);
}

bool Machine::SetSpeed(double speed, std::string* error) {
  if (!std::isfinite(speed) || speed < 0.0 || speed > kMaxSpeed) {
    if (error) *error = "speed must be a number from 0 to 1000000";
    return false;
  }
  Session session(*this, HostRequest::kObserve);
  Clock& c = session.state().clock;
  // Rebase so that simulated time runs on without a jump.
  c.simBase = SimulatedTime(session.state(), session.now());
  c.realBaseNs = session.now();
  c.speed = speed;
  return true;
}

void Machine::AdvanceSimulated(double seconds) {
  if (!(seconds > 0.0)) return;
  Session session(*this, HostRequest::kObserve);
  MachineState& s = session.state();
  StepMachine(s, seconds);
  s.clock.simBase += seconds;
  s.clock.simNow += seconds;
  ++s.clock.stepCount;
  RefreshDerived(s);
}

}  // namespace vnb
