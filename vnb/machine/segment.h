// The shared-memory segment that holds one virtual notebook. The first process creates it
// (exclusively) and sets it up with the default profile; every other process waits, with a
// bound, for the size and the initialised flag before it touches the mapping.
#pragma once

#include "vnb/machine/machine_state.h"

#include <memory>
#include <string>

namespace vnb {

class Segment {
 public:
  ~Segment();
  Segment(const Segment&) = delete;
  Segment& operator=(const Segment&) = delete;

  // Attaches to the machine called `name` (see SegmentName), creating it when it does not exist.
  // Null with a one-line reason in *error when that fails.
  static std::unique_ptr<Segment> Open(const std::string& name, std::string* error);
  // Removes the machine's name; processes still attached keep their mapping.
  static bool Remove(const std::string& name);

  // The segment name: PACKWATCH_VNB when set (a leading '/' is added), else one per user.
  static std::string NameFromEnvironment();
  static std::string DefaultName();
  // A name is '/' followed by 1 to 200 characters without '/'.
  static bool IsValidName(const std::string& name);

  MachineState& state() { return *state_; }
  const std::string& name() const { return name_; }

  // The robust mutex. A holder that died leaves the state as it was; Lock makes it consistent.
  void Lock();
  void Unlock();

 private:
  Segment(std::string name, MachineState* state) : name_(std::move(name)), state_(state) {}
  std::string name_;
  MachineState* state_;
};

// Holds the segment's mutex for a scope.
class SegmentLock {
 public:
  explicit SegmentLock(Segment& segment) : segment_(segment) { segment_.Lock(); }
  ~SegmentLock() { segment_.Unlock(); }
  SegmentLock(const SegmentLock&) = delete;
  SegmentLock& operator=(const SegmentLock&) = delete;

 private:
  Segment& segment_;
};

}  // namespace vnb
