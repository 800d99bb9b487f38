// One attachment to a virtual notebook: locked, time-stepped access to its state and the
// commands that steer it (profile, AC, batteries, faults, speed).
#pragma once

#include "vnb/machine/machine_state.h"
#include "vnb/machine/profiles.h"
#include "vnb/machine/segment.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vnb {

class Machine {
 public:
  static std::unique_ptr<Machine> Open(const std::string& segmentName, std::string* error);
  // The machine named by PACKWATCH_VNB (or the user's default), attached on first use and kept
  // for the life of this library instance; null when it cannot be attached.
  static Machine* Process();

  Segment& segment() { return *segment_; }

  // Commands; each takes the lock itself. False with a one-line reason on bad input.
  bool SelectProfile(std::string_view name, std::string* error);
  bool SetAc(bool plugged);
  bool SetBattery(std::size_t slot, bool present, std::string* error);
  bool SetFault(std::string_view name, bool on, std::string* error);
  bool SetFault(Fault fault, bool on);
  bool SetSpeed(double speed, std::string* error);
  // Moves simulated time on by `seconds` at once (tests, soak runs).
  void AdvanceSimulated(double seconds);

 private:
  explicit Machine(std::unique_ptr<Segment> segment) : segment_(std::move(segment)) {}
  std::unique_ptr<Segment> segment_;
};

// What kind of host request a session serves: polling the SMBus busy byte does not wait for a
// running transaction, every other request does.
enum class HostRequest { kRequest, kBusyPoll, kObserve };

// Locked access for one request: takes the lock, advances time, settles the SMBus controller.
class Session {
 public:
  explicit Session(Machine& machine, HostRequest kind = HostRequest::kRequest);
  ~Session() { machine_.segment().Unlock(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  MachineState& state() { return machine_.segment().state(); }
  std::int64_t now() const { return now_; }

 private:
  Machine& machine_;
  std::int64_t now_;
};

// Advances the model to `nowNs` when a step is due; true when it stepped.
bool AdvanceClock(MachineState& state, std::int64_t nowNs);
// The simulated time at `nowNs`, seconds.
double SimulatedTime(const MachineState& state, std::int64_t nowNs);

}  // namespace vnb
