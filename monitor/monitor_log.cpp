#include "monitor/monitor_log.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace monitor {
namespace {

// Header lines 2 and 3 of each form; lines 1 and 4 are plus signs of the same width.
constexpr char kOneBatteryTitles[] =
    "+                   |                                                  Charge     Charge     Remain      Full Charge    Cycle |\n";
constexpr char kOneBatteryColumns[] =
    "+ Counter + H: M: S |   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count |\n";
constexpr char kTwoBatteryTitles[] =
    "+     Battery 1     |                                                  Charge     Charge     Remain      Full Charge    Cycle ||   Battery 2                                      Charge     Charge     Remain      Full Charge    Cycle |\n";
constexpr char kTwoBatteryColumns[] =
    "+ Counter + H: M: S |   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count ||   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count |\n";
constexpr std::size_t kOneBatteryWidth = 127;
constexpr std::size_t kTwoBatteryWidth = 234;

constexpr char kBatteryColumnsFormat[] =
    "%3d%%        %5dmV    %5dmA      %2.1foC     %5dmV    %4dmA    %5dmAh    %5dmAh       %3d";

std::error_code LastError() { return {errno != 0 ? errno : EIO, std::system_category()}; }

std::string BatteryColumns(const interp::BatteryInfo& b) {
  char buffer[160];
  const int length = std::snprintf(
      buffer, sizeof buffer, kBatteryColumnsFormat, int{b.relativeStateOfCharge}, int{b.voltage},
      int{b.current}, static_cast<double>(b.temperature), int{b.chargingVoltage},
      int{b.chargingCurrent}, int{b.remainingCapacity}, int{b.fullChargeCapacity},
      int{b.cycleCount});
  return std::string(buffer, static_cast<std::size_t>(length) < sizeof buffer
                                 ? static_cast<std::size_t>(length)
                                 : sizeof buffer - 1);
}

// The file holds "\r\n" wherever the text has "\n".
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

}  // namespace

LogTime CurrentLogTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

std::string LogHeader(bool twoBatteries) {
  const std::size_t width = twoBatteries ? kTwoBatteryWidth : kOneBatteryWidth;
  const std::string border = std::string(width, '+') + "\n";
  return border + (twoBatteries ? kTwoBatteryTitles : kOneBatteryTitles) +
         (twoBatteries ? kTwoBatteryColumns : kOneBatteryColumns) + border;
}

std::string LogLine(int counter, const LogTime& time, const interp::BatteryInfo& battery1,
                    const interp::BatteryInfo& battery2) {
  char head[64];
  const int length = std::snprintf(head, sizeof head, "[%8d] %2d:%2d:%2d     ", counter,
                                   time.hour, time.minute, time.second);
  std::string line(head, static_cast<std::size_t>(length) < sizeof head
                             ? static_cast<std::size_t>(length)
                             : sizeof head - 1);
  line += BatteryColumns(battery1);
  if (battery2.present) line += "    ||    " + BatteryColumns(battery2);
  line += "\n";
  return line;
}

MonitorLog::~MonitorLog() { Close(); }

std::error_code MonitorLog::Open(const std::filesystem::path& path, bool battery2Present) {
  Close();
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  bool created = false;
  if (fd < 0) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return LastError();
    created = true;
  }
  file_ = ::fdopen(fd, "ab");
  if (file_ == nullptr) {
    const std::error_code error = LastError();
    ::close(fd);
    return error;
  }
  if (created) {
    counter_ = 1;
    const std::string header = WithCrLf(LogHeader(battery2Present));
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size() ||
        std::fflush(file_) != 0) {
      const std::error_code error = LastError();
      Close();
      return error;
    }
  }
  return {};
}

std::error_code MonitorLog::WriteLine(const LogTime& time, const interp::BatteryInfo& battery1,
                                      const interp::BatteryInfo& battery2) {
  if (file_ == nullptr) return std::make_error_code(std::errc::bad_file_descriptor);
  const std::string line = WithCrLf(LogLine(counter_, time, battery1, battery2));
  errno = 0;
  const bool written = std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                       std::fflush(file_) == 0;
  ++counter_;
  return written ? std::error_code{} : LastError();
}

std::error_code MonitorLog::Close() {
  if (file_ == nullptr) return {};
  errno = 0;
  const int result = std::fclose(file_);
  file_ = nullptr;
  return result == 0 ? std::error_code{} : LastError();
}

}  // namespace monitor
