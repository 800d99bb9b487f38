#include "interp/status_mode_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace interp {
namespace {

const std::wstring kIndent(18, L' ');

BatteryInfo WithWords(std::uint16_t status, std::uint16_t mode) {
  BatteryInfo info(1);
  info.batteryStatus = status;
  info.batteryMode = mode;
  return info;
}

// The status text up to (without) the error-code line, for bits 15..4 as given.
std::wstring StatusBitLines(const wchar_t* bits /* 10 characters '0'/'1' for 15,14,12,11,9,8,7,6,5,4 */) {
  const wchar_t* starts[] = {L"Bit15[", L"Bit14[", L"Bit12[", L"Bit11[", L"Bit09[",
                             L"Bit08[", L"Bit07[", L"Bit06[", L"Bit05[", L"Bit04["};
  const wchar_t* texts[] = {L"1 = Over Charged Alarm. \n",
                            L"1 = Terminate Charge Alarm. \n",
                            L"1 = Over Temperature Alarm. \n",
                            L"1 = Terminate Discharge Alarm. \n",
                            L"1 = Remaining Capacity Alarm is set. \n",
                            L"1 = Remaining Time Alarm is set. \n",
                            L"1 = Initialization.\n",
                            nullptr,
                            L"1 = Fully Charged.\n",
                            L"1 = Fully Disharged.\n"};
  std::wstring out;
  for (int i = 0; i < 10; ++i) {
    out += starts[i];
    out += bits[i];
    out += L"]   ";
    if (texts[i] != nullptr) {
      out += texts[i];
    } else if (bits[i] == L'1') {
      out += L"bq20z90 is in discharging mode, relaxation mode, or valid charge\n" + kIndent +
             L"termination has occurred. \n";
    } else {
      out += L"bq20z90 is in charging mode. \n";
    }
  }
  return out;
}

TEST(StatusTextTest, Word00C0) {
  EXPECT_EQ(BuildStatusText(WithWords(0x00C0, 0)),
            StatusBitLines(L"0000001100") + L"Bit3~0[0]   Error Code = OK.\n");
}

TEST(StatusTextTest, EveryBitAndTheUnlistedBitsChangeNothingElse) {
  // Bits 13 and 10 have no line; with them set the text is the same as without.
  EXPECT_EQ(BuildStatusText(WithWords(0xDBF0, 0)),
            StatusBitLines(L"1111111111") + L"Bit3~0[0]   Error Code = OK.\n");
  EXPECT_EQ(BuildStatusText(WithWords(0xFFF0, 0)), BuildStatusText(WithWords(0xDBF0, 0)));
  EXPECT_EQ(BuildStatusText(WithWords(0x2400, 0)),
            StatusBitLines(L"0000000000") + L"Bit3~0[0]   Error Code = OK.\n");
}

TEST(StatusTextTest, ErrorCodes) {
  const wchar_t* texts[] = {L"OK.",          L"BUSY.",       L"Reserved.", L"Unsupported.",
                            L"AccessDenied.", L"Over/Underlow.", L"Badsize."};
  const wchar_t digits[] = L"0123456789ABCDEF";
  for (unsigned code = 0; code < 16; ++code) {
    const std::wstring description = code < 7 ? texts[code] : L"UnknowError.";
    EXPECT_EQ(BuildStatusText(WithWords(static_cast<std::uint16_t>(code), 0)),
              StatusBitLines(L"0000000000") + L"Bit3~0[" + digits[code] + L"]   Error Code = " +
                  description + L"\n")
        << "code " << code;
  }
}

TEST(ModeTextTest, Word6001) {
  EXPECT_EQ(BuildModeText(WithWords(0, 0x6001)),
            L"Bit15[0] - Reports in mA or mAh. \n"
            L"Bit14[1] - Disable ChargingVoltage and ChargingCurrent broadcasts to the\n" + kIndent +
            L"Smart Battery Charger. \n"
            L"Bit13[1] - Disables AlarmWarning broadcasts to the host and Smart Battery\n" + kIndent +
            L"Charger. \n"
            L"Bit09[0] - Sets the role of the battery pack. This flag is not used by bq20z90\n" + kIndent +
            L"and should be set to 0. \n"
            L"Bit08[0] - Enable or disable internal charge controller. This flag is not used by\n" + kIndent +
            L"bq20z90 and should be set to 0.\n"
            L"Bit07[0] - Battery OK. \n"
            L"Bit01[0] - Primary battery support is not supported by bq20z90 and is fixed\n" + kIndent +
            L"to 0. \n"
            L"Bit00[1] - This flag indicates if internal charge controller function is supported\n" +
            kIndent + L"or not. This value is fixed to 1. \n");
}

TEST(ModeTextTest, SetBitsChooseTheirOtherDescriptions) {
  const std::wstring text = BuildModeText(WithWords(0, 0x8382));
  EXPECT_TRUE(text.starts_with(L"Bit15[1] - Reports in 10mW or 10mWh. \n"
                               L"Bit14[0] - Enable ChargingVoltage"));
  EXPECT_NE(text.find(L"\nBit13[0] - Enables AlarmWarning"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBit09[1] - Sets the role"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBit08[1] - Enable or disable"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBit07[1] - Condition cycle requested. \n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBit01[1] - Primary"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBit00[0] - This flag"), std::wstring::npos);
  // Bits 12..10 and 6..2 have no line.
  EXPECT_EQ(BuildModeText(WithWords(0, 0x1C7C)), BuildModeText(WithWords(0, 0)));
}

}  // namespace
}  // namespace interp
