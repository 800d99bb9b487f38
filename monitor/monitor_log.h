// The monitor's log file: a fixed-width text table, one line per sampling tick.
#pragma once

#include "interp/battery_info.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace monitor {

// The time of day written on a line; a component that cannot be determined is -1.
struct LogTime {
  int hour = -1;
  int minute = -1;
  int second = -1;
};

// The local time now.
LogTime CurrentLogTime();

// The header of a new file: four lines, for battery 1 only or for both batteries.
std::string LogHeader(bool twoBatteries);

// One line: "[counter] H: M: S     ", battery 1's nine columns, battery 2's after "    ||    "
// when it is present, then "\n".
std::string LogLine(int counter, const LogTime& time, const interp::BatteryInfo& battery1,
                    const interp::BatteryInfo& battery2);

class MonitorLog {
 public:
  MonitorLog() = default;
  MonitorLog(const MonitorLog&) = delete;
  MonitorLog& operator=(const MonitorLog&) = delete;
  ~MonitorLog();

  // An existing file is appended to with no header and the counter unchanged; otherwise the
  // file is created (or truncated), gets the header (the two-battery form when battery 2 is
  // present now) and the counter restarts at 1. On failure nothing is open and the system's
  // error is returned for the caller to report.
  std::error_code Open(const std::filesystem::path& path, bool battery2Present);

  // Writes one line (every "\n" as CR LF) and advances the counter. Needs an open file.
  std::error_code WriteLine(const LogTime& time, const interp::BatteryInfo& battery1,
                            const interp::BatteryInfo& battery2);

  // Closes the file; nothing is written at close. Returns the error of the close, if any.
  std::error_code Close();

  bool IsOpen() const { return file_ != nullptr; }

  // The number of the next line: 1 at first, after ResetCounter() and for every new file.
  int counter() const { return counter_; }
  void ResetCounter() { counter_ = 1; }

 private:
  std::FILE* file_ = nullptr;
  int counter_ = 1;
};

}  // namespace monitor
