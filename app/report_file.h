// The saved information report: its proposed file name and the file itself.
#pragma once

#include "interp/battery_record.h"
#include "powerwiz/power_wiz_figures.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

namespace app {

// "Battery_%s%04X_%02d%02d%02d%02d.log" with battery 1's manufacturer name and serial number
// and the month, day, hour and minute of `localTime`. Characters of the name that cannot stand
// in a file name (path separators, control characters, :*?"<>|) become '_', so the name never
// leaves its folder. This is the name part of "C:\Battery_....log".
std::wstring ProposedReportFileName(const std::wstring& manufacturerName,
                                    std::uint16_t serialNumber, const std::tm& localTime);

// The proposed name inside the default save folder (the user's home directory; tests pass
// their own folder).
std::filesystem::path ProposedReportPath(const std::wstring& manufacturerName,
                                         std::uint16_t serialNumber, const std::tm& localTime,
                                         const std::filesystem::path& saveFolder);
std::filesystem::path ProposedReportPath(const std::wstring& manufacturerName,
                                         std::uint16_t serialNumber, const std::tm& localTime);

// The whole file as text with "\n" line ends: battery 1's block, "\n\n", battery 2's block,
// then the Power Wiz section. No line end at the very end.
std::wstring BuildReportText(const std::wstring& battery1Report,
                             const std::wstring& battery2Report,
                             const powerwiz::PowerWizData& powerWiz);

// Creates (or replaces) `path` and writes the report: Latin-1 bytes, CR LF line ends, no byte
// order mark. An empty error code on success; otherwise the system's error (errc value and
// message) of the create, write or close that failed.
std::error_code WriteReport(const std::filesystem::path& path, const std::wstring& battery1Report,
                            const std::wstring& battery2Report,
                            const powerwiz::PowerWizData& powerWiz);

// The same from the two shared records: each block is built under its record's lock.
std::error_code WriteReport(const std::filesystem::path& path, interp::BatteryRecord& battery1,
                            interp::BatteryRecord& battery2,
                            const powerwiz::PowerWizData& powerWiz);

}  // namespace app
