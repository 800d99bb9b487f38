#include "vnb/ctl/status_report.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/notebook.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace vnb::ctl {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

struct Snapshot {
  MachineConfig config;
  Clock clock;
  double simNow;
  BatterySlot slots[kBatterySlots];
  std::uint16_t throttleOn[kBatterySlots];
  std::uint16_t throttleOff[kBatterySlots];
  char version[9];
  std::string segmentName;
};

Snapshot Take(Machine& machine) {
  Snapshot snap{};
  Session session(machine, HostRequest::kObserve);
  const MachineState& s = session.state();
  snap.config = s.config;
  snap.clock = s.clock;
  snap.simNow = SimulatedTime(s, session.now());
  for (std::size_t i = 0; i < kBatterySlots; ++i) {
    snap.slots[i] = s.slots[i];
    snap.throttleOn[i] = SetPointWord(s, i, true);
    snap.throttleOff[i] = SetPointWord(s, i, false);
  }
  EffectiveVersion(s, snap.version);
  snap.segmentName = machine.segment().name();
  return snap;
}

const char* PhaseText(const BatterySlot& slot) {
  switch (slot.physics.phase) {
    case PackPhase::kConstantCurrent: return "charging (CC)";
    case PackPhase::kConstantVoltage: return "charging (CV)";
    case PackPhase::kFull: return "full";
    case PackPhase::kDischarging: return "discharging";
    default: return slot.physics.fullyDischarged ? "empty" : "idle";
  }
}

std::string SetPointText(std::uint16_t word) {
  return word == 0 ? std::string("never") : Format("%u mA", 0xFFFFu - word);
}

std::string VersionText(const char* version) {
  std::string text;
  for (const char* p = version; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    text += (c >= 0x20 && c < 0x7F) ? std::string(1, static_cast<char>(c)) : Format("\\x%02X", c);
  }
  return text;
}

}  // namespace

std::string StatusReport(Machine& machine) {
  const Snapshot snap = Take(machine);
  const Profile& profile = ProfileAt(snap.config.profile);
  std::string out;
  out += Format("Machine      %s\n", snap.segmentName.c_str());
  out += Format("Profile      %s - %s\n", profile.name, profile.description);
  out += Format("EC           version %s, chip %04X rev %02X, %s address layout\n",
                VersionText(snap.version).c_str(), profile.chipId, profile.chipRevision,
                profile.secondLayout ? "second" : "first");
  out += Format("AC           %s\n", snap.config.acPlugged
                                       ? (profile.acSource == AcSource::kUsbC ? "plugged (USB-C)" : "plugged (adapter)")
                                       : "unplugged");
  out += Format("Time         speed %gx, %.1f s simulated\n", snap.clock.speed, snap.simNow);
  std::string faults;
  for (std::size_t i = 0; i < FaultCount(); ++i) {
    if (snap.config.faults & FaultBit(FaultAt(i).fault)) faults += (faults.empty() ? "" : ", ") + std::string(FaultAt(i).name);
  }
  out += Format("Faults       %s\n", faults.empty() ? "none" : faults.c_str());
  out += Format("Throttle     status byte 0x%02X\n\n", snap.config.throttleStatus);

  using Row = std::string (*)(const BatterySlot&, const Snapshot&, std::size_t);
  struct Line {
    const char* label;
    Row row;
  };
  static const Line kLines[] = {
      {"State", [](const BatterySlot& b, const Snapshot&, std::size_t) { return std::string(PhaseText(b)); }},
      {"Manufacturer", [](const BatterySlot& b, const Snapshot&, std::size_t) { return std::string(b.identity.manufacturerName); }},
      {"Device", [](const BatterySlot& b, const Snapshot&, std::size_t) { return std::string(b.identity.deviceName); }},
      {"Chemistry", [](const BatterySlot& b, const Snapshot&, std::size_t) { return std::string(b.identity.chemistry); }},
      {"Cells", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%uS%uP", b.identity.seriesCells, b.identity.parallelCells); }},
      {"Serial", [](const BatterySlot& b, const Snapshot&, std::size_t) { return Format("%04X", b.identity.serialNumber); }},
      {"RSOC / ASOC", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%u %% / %u %%", b.readings.relativeStateOfCharge, b.readings.absoluteStateOfCharge); }},
      {"Remaining", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%u / %u mAh", b.readings.remaining, b.readings.fullCharge); }},
      {"Design", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%u mAh, %u mV", b.identity.designCapacity, b.identity.designVoltage); }},
      {"Voltage", [](const BatterySlot& b, const Snapshot&, std::size_t) { return Format("%u mV", b.readings.voltage); }},
      {"Current", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%d mA (avg %d)", b.readings.current, b.readings.averageCurrent); }},
      {"Temperature", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%.1f C", (b.readings.temperatureDeciKelvin - 2731) / 10.0); }},
      {"Cells (mV)", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         std::string t;
         for (std::size_t k = 0; k < b.identity.seriesCells && k < kCells; ++k) t += Format(k ? " %u" : "%u", b.readings.cellVoltage[k]);
         return t; }},
      {"Charge request", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return Format("%u mA, %u mV", b.readings.chargingCurrent, b.readings.chargingVoltage); }},
      {"Run time", [](const BatterySlot& b, const Snapshot&, std::size_t) {
         return b.readings.runTimeToEmpty == 65535 ? std::string("-") : Format("%u min", b.readings.runTimeToEmpty); }},
      {"Cycle count", [](const BatterySlot& b, const Snapshot&, std::size_t) { return Format("%u", b.readings.cycleCount); }},
      {"Status", [](const BatterySlot& b, const Snapshot&, std::size_t) { return Format("0x%04X", b.readings.status); }},
      {"Throttle", [](const BatterySlot&, const Snapshot& s, std::size_t i) {
         return "on " + SetPointText(s.throttleOn[i]) + ", off " + SetPointText(s.throttleOff[i]); }},
  };

  out += Format("%-16s%-26s%s\n", "", "Battery 1", "Battery 2");
  auto cell = [&](std::size_t i, const Line* line) -> std::string {
    const BatterySlot& b = snap.slots[i];
    if (!b.exists) return line == nullptr ? "no slot" : "-";
    if (!b.present) return line == nullptr ? "removed" : "-";
    return line == nullptr ? "present" : line->row(b, snap, i);
  };
  out += Format("%-16s%-26s%s\n", "Present", cell(0, nullptr).c_str(), cell(1, nullptr).c_str());
  for (const Line& line : kLines) {
    out += Format("%-16s%-26s%s\n", line.label, cell(0, &line).c_str(), cell(1, &line).c_str());
  }
  return out;
}

}  // namespace vnb::ctl
