// "BatteryHealth.txt": per-type cycle-count thresholds, read once at start-up.
#pragma once

#include "interp/battery_health_item.h"
#include "interp/battery_record.h"

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace app {

// Looked up in the current directory (a relative name).
inline constexpr char kHealthFileName[] = "BatteryHealth.txt";

struct HealthTableLoad {
  enum class Outcome {
    kLoaded,     // every line read
    kNoFile,     // missing or unreadable: empty table, nothing to tell the user
    kShortLine,  // a line with fewer than two fields stopped the loading
  };
  std::vector<interp::BatteryHealthItem> items;  // the rows read, in file order
  Outcome outcome = Outcome::kNoFile;
  std::size_t shortLineNumber = 0;  // 1-based, with kShortLine

  // kShortLine is an invalid argument: the caller shows interp::kInvalidParameterMessage once.
  bool ShouldReportInvalidArgument() const { return outcome == Outcome::kShortLine; }
};

// Splits the file's bytes into rows. Lines end in LF or CR LF; a last line without a line end
// counts, a last line end does not start an empty line. Fields are separated by commas, empty
// fields skipped; field 1 (key) has A-Z lower-cased, field 2 (value) is kept exactly, field 3 is
// the threshold (signed decimal, saturating, 0 without digits or without a third field); later
// fields are ignored. The first line with fewer than two fields ends the table.
HealthTableLoad ParseHealthTable(std::string_view bytes);

// Reads `file` and parses it; a file that cannot be read gives an empty table (kNoFile).
HealthTableLoad LoadHealthTable(const std::filesystem::path& file = kHealthFileName);

// Start-up: the rows go into the first battery's record only; battery 2 keeps an empty table
// and is always judged against the default row.
HealthTableLoad LoadHealthTable(interp::BatteryRecord& firstBattery,
                                const std::filesystem::path& file = kHealthFileName);

}  // namespace app
