#include "powerwiz/power_wiz_figures.h"

#include <gtest/gtest.h>

namespace powerwiz {
namespace {

struct FigureCase {
  const char* name;
  std::int32_t voltage, current, remaining;
  std::int32_t watt, runTime;
};

TEST(PowerFiguresTest, IntegerArithmeticWithTruncation) {
  const FigureCase cases[] = {
      {"watt of 12 V at -0.5 A", 12000, -500, 0, 6000, 0},
      {"2000 mAh at -1000 mA", 11000, -1000, 2000, 11000, 114},
      {"3000 mAh at -1500 mA", 12000, -1500, 3000, 18000, 114},
      {"-7 mA truncates twice", 12000, -7, 100, 84, 814},
      {"charging gives no run time", 12000, 1500, 3000, 18000, 0},
      {"zero current", 12000, 0, 3000, 0, 0},
      {"zero voltage and current", 0, 0, 0, 0, 0},
      {"watt truncates toward zero", 999, -1, 5, 0, 285},
      {"largest readings stay in 32 bits", 65535, -32768, 65535, 2147450, 113},
      {"largest positive current", 65535, 32767, 65535, 2147385, 0},
  };
  for (const FigureCase& c : cases) {
    const PowerFigures f = ComputePowerFigures(c.voltage, c.current, c.remaining);
    EXPECT_EQ(f.voltage, c.voltage) << c.name;
    EXPECT_EQ(f.current, c.current) << c.name;
    EXPECT_EQ(f.watt, c.watt) << c.name;
    EXPECT_EQ(f.runTime, c.runTime) << c.name;
  }
}

TEST(PowerFiguresTest, BothStatesUseBatteryOnesRemainingCapacity) {
  const PowerWizFigures f = ComputePowerWizFigures({12000, -500, 11000, -1000, 2000});
  EXPECT_EQ(f.s3, (PowerFigures{12000, -500, 6000, 228}));   // 2000*60/500 = 240 -> 228
  EXPECT_EQ(f.d3, (PowerFigures{11000, -1000, 11000, 114}));
}

}  // namespace
}  // namespace powerwiz
