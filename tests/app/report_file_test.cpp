#include "app/report_file.h"

#include "interp/battery_report.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace app {
namespace {

std::tm At(int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

TEST(ProposedReportNameTest, NameSerialAndLocalTime) {
  EXPECT_EQ(ProposedReportFileName(L"NA", 0, At(3, 15, 9, 30)), L"Battery_NA0000_03150930.log");
  EXPECT_EQ(ProposedReportFileName(L"NV1207F5cE", 0xA1B, At(12, 31, 23, 59)),
            L"Battery_NV1207F5cE0A1B_12312359.log");
  EXPECT_EQ(ProposedReportFileName(L"", 0xFFFF, At(1, 1, 0, 0)), L"Battery_FFFF_01010000.log");
}

TEST(ProposedReportNameTest, CharactersThatCannotStandInAFileNameBecomeUnderscores) {
  EXPECT_EQ(ProposedReportFileName(L"a/b\\c:d*e?f\"g<h>i|j\u0001k\u007Fl\u00E9%s..", 1, At(3, 15, 9, 30)),
            L"Battery_a_b_c_d_e_f_g_h_i_j_k_l\u00E9%s..0001_03150930.log");
  const std::filesystem::path path =
      ProposedReportPath(L"../../etc/x", 0, At(3, 15, 9, 30), "/home/tester");
  EXPECT_EQ(path, std::filesystem::path("/home/tester/Battery_.._.._etc_x0000_03150930.log"));
  EXPECT_EQ(path.parent_path(), std::filesystem::path("/home/tester"));
}

// Power Wiz section with S3 12000 mV / -1500 mA, D3 at rest, 3000 mAh remaining.
constexpr powerwiz::PowerWizData kPowerWiz{12000, -1500, 0, 0, 3000};

constexpr char kPowerWizBytes[] =
    "\r\n\r\n[ Power Wiz ] "
    "\r\n(S3) "
    "\r\nVoltage : 12000 mV"
    "\r\nCurrent : -1500 mA"
    "\r\nWatt : 18000 mW"
    "\r\nRun Time ToEmpty : 114 min"
    "\r\n\r\n(D3) "
    "\r\nVoltage : 0 mV"
    "\r\nCurrent : 0 mA"
    "\r\nWatt : 0 mW"
    "\r\nRun Time To Empty : 0 min";

class ReportFileTest : public TempFolderTest {};

TEST_F(ReportFileTest, ExactBytesWithBothBatteriesAbsent) {
  interp::BatteryRecord first(1);
  interp::BatteryRecord second(2);
  const std::filesystem::path path = folder_ / "report.log";
  ASSERT_FALSE(WriteReport(path, first, second, kPowerWiz));
  EXPECT_EQ(ReadFile(path), std::string("[ Battery 1 Attach : No ]\r\n\r\n[ Battery 2 Attach : No ]") +
                                kPowerWizBytes);
}

TEST_F(ReportFileTest, BatteryBlocksAreWrittenAsLatin1WithCrLf) {
  const std::filesystem::path path = folder_ / "report.log";
  const std::wstring block1 = L"[ Battery 1 Attach : Yes ]\n\nManufacture Name : \u00C9%d\u0142";
  const std::wstring block2 = L"[ Battery 2 Attach : No ]";
  ASSERT_FALSE(WriteReport(path, block1, block2, kPowerWiz));
  EXPECT_EQ(ReadFile(path), std::string("[ Battery 1 Attach : Yes ]\r\n\r\nManufacture Name : \xC9%d?"
                                        "\r\n\r\n[ Battery 2 Attach : No ]") +
                                kPowerWizBytes);
}

TEST_F(ReportFileTest, PresentBatteryBlockComesFromTheRecord) {
  interp::BatteryRecord first(1);
  interp::BatteryRecord second(2);
  interp::BatteryInfo pack(1);
  pack.present = true;
  pack.manufacturerName = L"NV1207F5cE";
  first.Publish(pack);
  const std::filesystem::path path = folder_ / "report.log";
  ASSERT_FALSE(WriteReport(path, first, second, kPowerWiz));
  const std::string bytes = ReadFile(path);
  EXPECT_TRUE(bytes.starts_with("[ Battery 1 Attach : Yes ]\r\n\r\nManufacture Name : NV1207F5cE\r\n"));
  EXPECT_NE(bytes.find("\r\nCell Voltage 4 : 0 mV\r\n\r\n[ Battery 2 Attach : No ]\r\n\r\n[ Power Wiz ] "),
            std::string::npos);
  EXPECT_EQ(bytes.find("\n\n"), std::string::npos);  // no bare line feed anywhere
  EXPECT_FALSE(bytes.ends_with("\n"));
}

TEST_F(ReportFileTest, AnExistingFileIsReplaced) {
  const std::filesystem::path path = WriteFile("report.log", std::string(10000, 'x'));
  ASSERT_FALSE(WriteReport(path, L"a", L"b", kPowerWiz));
  EXPECT_EQ(ReadFile(path), std::string("a\r\n\r\nb") + kPowerWizBytes);
}

TEST_F(ReportFileTest, CreateAndWriteErrorsAreReported) {
  const std::error_code missingFolder =
      WriteReport(folder_ / "no-such-folder" / "report.log", L"a", L"b", kPowerWiz);
  EXPECT_EQ(missingFolder, std::error_code(ENOENT, std::system_category()));
  EXPECT_FALSE(missingFolder.message().empty());

  EXPECT_TRUE(WriteReport(folder_, L"a", L"b", kPowerWiz));  // a folder cannot be a file

  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(WriteReport("/dev/full", L"a", L"b", kPowerWiz),
            std::error_code(ENOSPC, std::system_category()));
}

}  // namespace
}  // namespace app
