#include "monitor/monitor_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

namespace monitor {
namespace {

interp::BatteryInfo Pack(int index, std::uint8_t rsoc, std::uint16_t voltage, std::int16_t current,
                         float temperature, std::uint16_t cycles) {
  interp::BatteryInfo info(index);
  info.present = true;
  info.relativeStateOfCharge = rsoc;
  info.voltage = voltage;
  info.current = current;
  info.temperature = temperature;
  info.chargingVoltage = 12600;
  info.chargingCurrent = 1500;
  info.remainingCapacity = 3000;
  info.fullChargeCapacity = 4400;
  info.cycleCount = cycles;
  return info;
}

// Battery 1 and battery 2 columns as they appear in a line.
const std::string kBattery1Columns =
    " 80%        12000mV    -1234mA      31.5oC     12600mV    1500mA     3000mAh     4400mAh        12";
const std::string kBattery2Columns =
    "  5%         9000mV      200mA      -5.0oC     12600mV    1500mA     3000mAh     4400mAh       999";

const interp::BatteryInfo kBattery1 = Pack(1, 80, 12000, -1234, 31.46f, 12);
const interp::BatteryInfo kBattery2 = Pack(2, 5, 9000, 200, -4.96f, 999);
const interp::BatteryInfo kNoBattery2{2};

TEST(LogTextTest, HeadersHaveTheirWidthsAndTitles) {
  const std::string one = LogHeader(false);
  const std::string plus127(127, '+');
  EXPECT_EQ(one,
            plus127 + "\n"
            "+                   |                                                  Charge     Charge     Remain      Full Charge    Cycle |\n"
            "+ Counter + H: M: S |   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count |\n" +
            plus127 + "\n");
  const std::string two = LogHeader(true);
  const std::string plus234(234, '+');
  EXPECT_TRUE(two.starts_with(plus234 + "\n+     Battery 1     |"));
  EXPECT_TRUE(two.ends_with("Count |\n" + plus234 + "\n"));
  // The battery 2 half of the titles is spaced differently from battery 1's: compare it all.
  EXPECT_EQ(two,
            plus234 + "\n"
            "+     Battery 1     |                                                  Charge     Charge     Remain      Full Charge    Cycle ||   Battery 2                                      Charge     Charge     Remain      Full Charge    Cycle |\n"
            "+ Counter + H: M: S |   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count ||   Percentage  Voltage    Current    Temperature  Voltage    Current    Capacity    Capacity       Count |\n" +
            plus234 + "\n");
  // Every header line has the width of its plus-sign border.
  for (const auto& [header, width] : {std::pair{one, 127u}, std::pair{two, 234u}}) {
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t end; (end = header.find('\n', start)) != std::string::npos; start = end + 1) {
      EXPECT_EQ(end - start, width);
      ++lines;
    }
    EXPECT_EQ(lines, 4);
  }
}

TEST(LogTextTest, LinesForOneAndTwoBatteries) {
  EXPECT_EQ(LogLine(1, {9, 5, 7}, kBattery1, kNoBattery2),
            "[       1]  9: 5: 7     " + kBattery1Columns + "\n");
  EXPECT_EQ(LogLine(12345678, {23, 59, 58}, kBattery1, kBattery2),
            "[12345678] 23:59:58     " + kBattery1Columns + "    ||    " + kBattery2Columns + "\n");
  EXPECT_EQ(LogLine(3, {}, kBattery1, kNoBattery2),
            "[       3] -1:-1:-1     " + kBattery1Columns + "\n");
}

class MonitorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "packwatch-log-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = folder_ / "Packwatch.log";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '\n') out += '\r';
      out += c;
    }
    return out;
  }

  std::filesystem::path folder_;
  std::filesystem::path path_;
};

TEST_F(MonitorLogTest, NewFileGetsHeaderAndNumbersFromOne) {
  MonitorLog log;
  log.ResetCounter();
  ASSERT_FALSE(log.Open(path_, false));
  ASSERT_FALSE(log.WriteLine({9, 5, 7}, kBattery1, kNoBattery2));
  ASSERT_FALSE(log.WriteLine({9, 5, 8}, kBattery1, kBattery2));  // battery 2 attached later
  ASSERT_FALSE(log.Close());
  EXPECT_EQ(Contents(), CrLf(LogHeader(false) +
                             "[       1]  9: 5: 7     " + kBattery1Columns + "\n" +
                             "[       2]  9: 5: 8     " + kBattery1Columns + "    ||    " +
                             kBattery2Columns + "\n"));
  EXPECT_EQ(log.counter(), 3);
}

TEST_F(MonitorLogTest, ExistingFileIsAppendedWithoutHeaderAndTheCountContinues) {
  MonitorLog log;
  ASSERT_FALSE(log.Open(path_, true));
  ASSERT_FALSE(log.WriteLine({1, 2, 3}, kBattery1, kBattery2));
  ASSERT_FALSE(log.Close());

  // Stop, then Continue: same path, appended, numbering goes on.
  ASSERT_FALSE(log.Open(path_, true));
  ASSERT_FALSE(log.WriteLine({1, 2, 4}, kBattery1, kNoBattery2));  // battery 2 went away
  ASSERT_FALSE(log.Close());
  EXPECT_EQ(Contents(), CrLf(LogHeader(true) +
                             "[       1]  1: 2: 3     " + kBattery1Columns + "    ||    " +
                             kBattery2Columns + "\n" +
                             "[       2]  1: 2: 4     " + kBattery1Columns + "\n"));

  // After Reset the numbers restart at 1 even though the file is appended to.
  log.ResetCounter();
  ASSERT_FALSE(log.Open(path_, false));
  ASSERT_FALSE(log.WriteLine({1, 2, 5}, kBattery1, kNoBattery2));
  ASSERT_FALSE(log.Close());
  EXPECT_TRUE(Contents().ends_with(CrLf("\n[       1]  1: 2: 5     " + kBattery1Columns + "\n")));
  const std::string all = Contents();
  EXPECT_EQ(all.find("+ Counter"), all.rfind("+ Counter"));  // one header only
}

TEST_F(MonitorLogTest, ANewFileAfterLinesRestartsTheCount) {
  MonitorLog log;
  ASSERT_FALSE(log.Open(path_, false));
  ASSERT_FALSE(log.WriteLine({0, 0, 0}, kBattery1, kNoBattery2));
  ASSERT_FALSE(log.WriteLine({0, 0, 1}, kBattery1, kNoBattery2));
  ASSERT_EQ(log.counter(), 3);
  ASSERT_FALSE(log.Open(folder_ / "other.log", false));  // Open closes the previous file
  EXPECT_EQ(log.counter(), 1);
}

TEST_F(MonitorLogTest, AnOpenFailureIsReportedAndNothingIsWritten) {
  MonitorLog log;
  const std::error_code error = log.Open(folder_ / "missing" / "Packwatch.log", false);
  EXPECT_EQ(error, std::error_code(ENOENT, std::system_category()));
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(log.WriteLine({0, 0, 0}, kBattery1, kNoBattery2));
  EXPECT_FALSE(log.Close());
  EXPECT_TRUE(log.Open(folder_, false));  // a folder is neither opened nor created as a log
  EXPECT_FALSE(log.IsOpen());
}

TEST(CurrentLogTimeTest, GivesATimeOfDay) {
  const LogTime now = CurrentLogTime();
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.hour, 23);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
  EXPECT_GE(now.second, 0);
  EXPECT_LE(now.second, 60);
}

}  // namespace
}  // namespace monitor
