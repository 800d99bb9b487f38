#include "app/health_table.h"

#include "interp/health_verdict.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {
namespace {

using interp::BatteryHealthItem;
using Outcome = HealthTableLoad::Outcome;

struct ParseCase {
  const char* name;
  std::string file;
  std::vector<BatteryHealthItem> items;
  Outcome outcome;
  std::size_t shortLine;
};

TEST(ParseHealthTableTest, FieldsLineEndsAndShortLines) {
  const ParseCase cases[] = {
      {"example lines", "chemistry[0],L,500\nDeviceName,PK-01,300\n",
       {{L"chemistry[0]", L"L", 500}, {L"devicename", L"PK-01", 300}}, Outcome::kLoaded, 0},
      {"only A-Z lower-cased, value kept", "Chemistry[0],Li,7\nDEVICE NAME\xC9, Pk 01 ,8",
       {{L"chemistry[0]", L"Li", 7}, {L"device name\u00C9", L" Pk 01 ", 8}}, Outcome::kLoaded, 0},
      {"empty fields skipped", ",,chemistry[0],,L,,500,,",
       {{L"chemistry[0]", L"L", 500}}, Outcome::kLoaded, 0},
      {"blank value kept", "chemistry[0], L,500", {{L"chemistry[0]", L" L", 500}}, Outcome::kLoaded, 0},
      {"CR LF line ends", "a,b,1\r\nc,d,2\r\n", {{L"a", L"b", 1}, {L"c", L"d", 2}}, Outcome::kLoaded, 0},
      {"missing last line end counts", "a,b,1\nc,d,2", {{L"a", L"b", 1}, {L"c", L"d", 2}}, Outcome::kLoaded, 0},
      {"CR without LF stays in the line", "a,b\r", {{L"a", L"b\r", 0}}, Outcome::kLoaded, 0},
      {"two fields give threshold 0", "devicename,PK-01", {{L"devicename", L"PK-01", 0}}, Outcome::kLoaded, 0},
      {"threshold: blanks, sign, stop at non-digit", "a,b,  -1x9\nc,d,+42 cycles\ne,f,abc",
       {{L"a", L"b", -1}, {L"c", L"d", 42}, {L"e", L"f", 0}}, Outcome::kLoaded, 0},
      {"threshold saturates", "a,b,99999999999\nc,d,-99999999999",
       {{L"a", L"b", 2147483647}, {L"c", L"d", -2147483647 - 1}}, Outcome::kLoaded, 0},
      {"fields after the third ignored", "a,b,3,4,5", {{L"a", L"b", 3}}, Outcome::kLoaded, 0},
      {"empty file", "", {}, Outcome::kLoaded, 0},
      {"empty line stops", "a,b,1\n\nc,d,2\n", {{L"a", L"b", 1}}, Outcome::kShortLine, 2},
      {"empty CR LF line stops", "a,b,1\r\n\r\nc,d,2\r\n", {{L"a", L"b", 1}}, Outcome::kShortLine, 2},
      {"commas only stop", "a,b,1\n,,,\nc,d,2", {{L"a", L"b", 1}}, Outcome::kShortLine, 2},
      {"single field stops", "onlykey\na,b,1", {}, Outcome::kShortLine, 1},
      {"single field after commas stops", "a,b,1\nc,d,2\n,,key,", {{L"a", L"b", 1}, {L"c", L"d", 2}},
       Outcome::kShortLine, 3},
  };
  for (const ParseCase& c : cases) {
    const HealthTableLoad load = ParseHealthTable(c.file);
    EXPECT_EQ(load.items, c.items) << c.name;
    EXPECT_EQ(load.outcome, c.outcome) << c.name;
    EXPECT_EQ(load.shortLineNumber, c.shortLine) << c.name;
    EXPECT_EQ(load.ShouldReportInvalidArgument(), c.outcome == Outcome::kShortLine) << c.name;
  }
}

class LoadHealthTableTest : public TempFolderTest {};

TEST_F(LoadHealthTableTest, MissingOrUnreadableFileLeavesTheTableEmptySilently) {
  HealthTableLoad load = LoadHealthTable(folder_ / "BatteryHealth.txt");
  EXPECT_TRUE(load.items.empty());
  EXPECT_EQ(load.outcome, Outcome::kNoFile);
  EXPECT_FALSE(load.ShouldReportInvalidArgument());

  load = LoadHealthTable(folder_);
  EXPECT_EQ(load.outcome, Outcome::kNoFile);
  EXPECT_TRUE(load.items.empty());
}

struct VerdictCase {
  const char* name;
  std::string file;
  const wchar_t* chemistry;
  const wchar_t* deviceName;
  std::int32_t threshold;  // of the row battery 1 is judged against
};

// The file goes into battery 1's record only; the verdict then uses the matched row.
TEST_F(LoadHealthTableTest, FileRowsDecideBatteryOneThresholdAndBatteryTwoKeepsTheDefault) {
  const VerdictCase cases[] = {
      {"key lower-cased, value case-sensitive", "Chemistry[0],L,500\n", L"LION", L"PK", 500},
      {"lower-case value does not match", "chemistry[0],l,500\n", L"LION", L"PK", 300},
      {"blank before the value never matches", "chemistry[0], L,500\n", L"LION", L"PK", 300},
      {"skipped empty field", "chemistry[0],,L,500\n", L"LION", L"PK", 500},
      {"first of two matching lines", "devicename,PK,100\r\nchemistry[0],L,200\r\n", L"LION", L"PK", 100},
      {"threshold -1", "chemistry[0],L,-1", L"LION", L"PK", -1},
      {"rows before a short line stay", "devicename,PK,42\n\nchemistry[0],L,1\n", L"LION", L"PK", 42},
      {"rows after a short line are not read", "x,y,1\n\nchemistry[0],L,1\n", L"LION", L"PK", 300},
  };
  for (const VerdictCase& c : cases) {
    const std::filesystem::path file = WriteFile("BatteryHealth.txt", c.file);
    interp::BatteryRecord first(1);
    interp::BatteryRecord second(2);
    LoadHealthTable(first, file);
    for (interp::BatteryRecord* record : {&first, &second}) {
      record->WithLock([&](interp::BatteryInfo& info) {
        info.present = true;
        info.healthCheckEnabled = true;
        info.deviceChemistry = c.chemistry;
        info.deviceName = c.deviceName;
        info.cycleCount = 300;
      });
      record->HealthVerdict();
    }
    EXPECT_EQ(first.HealthThreshold(), c.threshold) << c.name;
    EXPECT_EQ(second.HealthThreshold(), 300) << c.name;
    EXPECT_TRUE(second.Snapshot().healthTable.empty()) << c.name;
  }
}

TEST_F(LoadHealthTableTest, ShortLineIsReportedOnceWithTheRowsBeforeIt) {
  const std::filesystem::path file = WriteFile("BatteryHealth.txt", "devicename,PK,42\n,\nx,y,1\n");
  interp::BatteryRecord first(1);
  const HealthTableLoad load = LoadHealthTable(first, file);
  EXPECT_TRUE(load.ShouldReportInvalidArgument());
  EXPECT_EQ(load.shortLineNumber, 2u);
  EXPECT_EQ(first.Snapshot().healthTable,
            (std::vector<BatteryHealthItem>{{L"devicename", L"PK", 42}}));
}

}  // namespace
}  // namespace app
