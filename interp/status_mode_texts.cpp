#include "interp/status_mode_texts.h"

#include "interp/number_text.h"

#include <string_view>

namespace interp {
namespace {

constexpr std::wstring_view kStatusSeparator = L"]   ";
constexpr std::wstring_view kModeSeparator = L"] - ";

struct BitLine {
  int bit;
  const wchar_t* lineStart;
  const wchar_t* whenSet;
  const wchar_t* whenClear;  // nullptr: the same description either way
};

void AppendLine(std::wstring& out, const wchar_t* lineStart, unsigned value,
                std::wstring_view separator, const wchar_t* description) {
  out += lineStart;
  out += FormatNumber(static_cast<std::int32_t>(value), 16);
  out += separator;
  out += description;
}

void AppendBitLines(std::wstring& out, std::uint16_t word, std::wstring_view separator,
                    std::initializer_list<BitLine> lines) {
  for (const BitLine& line : lines) {
    const unsigned value = (word >> line.bit) & 1u;
    const wchar_t* description =
        (value == 0 && line.whenClear != nullptr) ? line.whenClear : line.whenSet;
    AppendLine(out, line.lineStart, value, separator, description);
  }
}

const wchar_t* ErrorCodeText(unsigned code) {
  switch (code) {
    case 0: return L"Error Code = OK.\n";
    case 1: return L"Error Code = BUSY.\n";
    case 2: return L"Error Code = Reserved.\n";
    case 3: return L"Error Code = Unsupported.\n";
    case 4: return L"Error Code = AccessDenied.\n";
    case 5: return L"Error Code = Over/Underlow.\n";
    case 6: return L"Error Code = Badsize.\n";
    default: return L"Error Code = UnknowError.\n";
  }
}

}  // namespace

std::wstring BuildStatusText(const BatteryInfo& info) {
  std::wstring out;
  AppendBitLines(
      out, info.batteryStatus, kStatusSeparator,
      {{15, L"Bit15[", L"1 = Over Charged Alarm. \n", nullptr},
       {14, L"Bit14[", L"1 = Terminate Charge Alarm. \n", nullptr},
       {12, L"Bit12[", L"1 = Over Temperature Alarm. \n", nullptr},
       {11, L"Bit11[", L"1 = Terminate Discharge Alarm. \n", nullptr},
       {9, L"Bit09[", L"1 = Remaining Capacity Alarm is set. \n", nullptr},
       {8, L"Bit08[", L"1 = Remaining Time Alarm is set. \n", nullptr},
       {7, L"Bit07[", L"1 = Initialization.\n", nullptr},
       {6, L"Bit06[",
        L"bq20z90 is in discharging mode, relaxation mode, or valid charge\n"
        L"                  termination has occurred. \n",
        L"bq20z90 is in charging mode. \n"},
       {5, L"Bit05[", L"1 = Fully Charged.\n", nullptr},
       {4, L"Bit04[", L"1 = Fully Disharged.\n", nullptr}});
  const unsigned code = info.batteryStatus & 0xFu;
  AppendLine(out, L"Bit3~0[", code, kStatusSeparator, ErrorCodeText(code));
  return out;
}

std::wstring BuildModeText(const BatteryInfo& info) {
  std::wstring out;
  AppendBitLines(
      out, info.batteryMode, kModeSeparator,
      {{15, L"Bit15[", L"Reports in 10mW or 10mWh. \n", L"Reports in mA or mAh. \n"},
       {14, L"Bit14[",
        L"Disable ChargingVoltage and ChargingCurrent broadcasts to the\n"
        L"                  Smart Battery Charger. \n",
        L"Enable ChargingVoltage and ChargingCurrent broadcasts to the\n"
        L"                  Smart Battery Charger. \n"},
       {13, L"Bit13[",
        L"Disables AlarmWarning broadcasts to the host and Smart Battery\n"
        L"                  Charger. \n",
        L"Enables AlarmWarning broadcasts to the host and Smart Battery\n"
        L"                  Charger. \n"},
       {9, L"Bit09[",
        L"Sets the role of the battery pack. This flag is not used by bq20z90\n"
        L"                  and should be set to 0. \n",
        nullptr},
       {8, L"Bit08[",
        L"Enable or disable internal charge controller. This flag is not used by\n"
        L"                  bq20z90 and should be set to 0.\n",
        nullptr},
       {7, L"Bit07[", L"Condition cycle requested. \n", L"Battery OK. \n"},
       {1, L"Bit01[",
        L"Primary battery support is not supported by bq20z90 and is fixed\n"
        L"                  to 0. \n",
        nullptr},
       {0, L"Bit00[",
        L"This flag indicates if internal charge controller function is supported\n"
        L"                  or not. This value is fixed to 1. \n",
        nullptr}});
  return out;
}

}  // namespace interp
