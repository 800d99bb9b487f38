#include "app/report_file.h"

#include "interp/battery_report.h"
#include "interp/file_text.h"
#include "interp/number_text.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace app {
namespace {

bool CannotStandInFileName(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code < 0x20 || code == 0x7F) return true;
  return std::wstring_view(L"/\\:*?\"<>|").find(c) != std::wstring_view::npos;
}

std::wstring Decimal(std::int32_t value) { return interp::FormatNumber(value, 10); }

void AppendPowerBlock(std::wstring& out, const powerwiz::PowerFigures& figures,
                      const wchar_t* runTimeLabel) {
  out += L"\nVoltage : " + Decimal(figures.voltage) + L" mV";
  out += L"\nCurrent : " + Decimal(figures.current) + L" mA";
  out += L"\nWatt : " + Decimal(figures.watt) + L" mW";
  out += runTimeLabel + Decimal(figures.runTime) + L" min";
}

// errno of the call that just failed; a failure that left no errno still counts as one.
std::error_code LastError() { return {errno != 0 ? errno : EIO, std::system_category()}; }

}  // namespace

std::wstring ProposedReportFileName(const std::wstring& manufacturerName,
                                    std::uint16_t serialNumber, const std::tm& localTime) {
  std::wstring name = L"Battery_";
  for (wchar_t c : manufacturerName) name.push_back(CannotStandInFileName(c) ? L'_' : c);
  name += interp::FormatNumber(serialNumber, 16, "%04X");
  name += interp::FormatNumber(localTime.tm_mon + 1, 10, "_%02d");
  name += interp::FormatNumber(localTime.tm_mday, 10, "%02d");
  name += interp::FormatNumber(localTime.tm_hour, 10, "%02d");
  name += interp::FormatNumber(localTime.tm_min, 10, "%02d");
  name += L".log";
  return name;
}

std::filesystem::path ProposedReportPath(const std::wstring& manufacturerName,
                                         std::uint16_t serialNumber, const std::tm& localTime,
                                         const std::filesystem::path& saveFolder) {
  return interp::ResolveDefaultFileName(
      L"C:\\" + ProposedReportFileName(manufacturerName, serialNumber, localTime), saveFolder);
}

std::filesystem::path ProposedReportPath(const std::wstring& manufacturerName,
                                         std::uint16_t serialNumber, const std::tm& localTime) {
  return interp::ResolveDefaultFileName(
      L"C:\\" + ProposedReportFileName(manufacturerName, serialNumber, localTime));
}

std::wstring BuildReportText(const std::wstring& battery1Report,
                             const std::wstring& battery2Report,
                             const powerwiz::PowerWizData& powerWiz) {
  const powerwiz::PowerWizFigures figures = powerwiz::ComputePowerWizFigures(powerWiz);
  std::wstring out = battery1Report;
  out += L"\n\n";
  out += battery2Report;
  out += L"\n\n[ Power Wiz ] ";
  out += L"\n(S3) ";
  AppendPowerBlock(out, figures.s3, L"\nRun Time ToEmpty : ");
  out += L"\n\n(D3) ";
  AppendPowerBlock(out, figures.d3, L"\nRun Time To Empty : ");
  return out;
}

std::error_code WriteReport(const std::filesystem::path& path, const std::wstring& battery1Report,
                            const std::wstring& battery2Report,
                            const powerwiz::PowerWizData& powerWiz) {
  const std::string bytes = interp::EncodeFileText(BuildReportText(battery1Report, battery2Report, powerWiz));
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wbe");
  if (file == nullptr) return LastError();
  std::error_code error;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    error = LastError();
  }
  if (std::fclose(file) != 0 && !error) error = LastError();
  return error;
}

std::error_code WriteReport(const std::filesystem::path& path, interp::BatteryRecord& battery1,
                            interp::BatteryRecord& battery2,
                            const powerwiz::PowerWizData& powerWiz) {
  const std::wstring first = battery1.WithLock(interp::BuildBatteryReport);
  const std::wstring second = battery2.WithLock(interp::BuildBatteryReport);
  return WriteReport(path, first, second, powerWiz);
}

}  // namespace app
