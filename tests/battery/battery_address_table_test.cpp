#include "battery/battery_address_table.h"
#include "battery/battery_func_3th.h"
#include "tests/support/fake_ec_library.h"

#include <gtest/gtest.h>

namespace {

using namespace battery;

TEST(AddressTable, ChosenByLayoutAndProjectClass) {
  EXPECT_EQ(SelectAddressTable(0, 0x2000), kAddressTableA);
  EXPECT_EQ(SelectAddressTable(0, 0x1000), kAddressTableA);
  EXPECT_EQ(SelectAddressTable(1, 0), kAddressTableB);
  EXPECT_EQ(SelectAddressTable(1, 0x1FFF), kAddressTableB);
  EXPECT_EQ(SelectAddressTable(1, 0x2000), kAddressTableC);
  // B and C differ only in the block byte count address.
  for (std::size_t b = 0; b < 2; ++b) {
    for (std::size_t w = 0; w < 38; ++w) {
      if (w == kBlockCount) continue;
      EXPECT_EQ(kAddressTableB[b].word[w], kAddressTableC[b].word[w]) << b << "/" << w;
    }
  }
  EXPECT_EQ(kAddressTableB[0].word[kBlockCount], 0xEC3D);
  EXPECT_EQ(kAddressTableC[1].word[kBlockCount], 0xEC3C);
  // Only table A's second battery mirrors design voltage and cycle count.
  EXPECT_EQ(kAddressTableA[1].word[kDesignVoltageLo], 0x03FA);
  EXPECT_EQ(kAddressTableA[0].word[kCycleCountLo], 0);
  EXPECT_EQ(kAddressTableC[1].word[kCycleCountLo], 0);
}

TEST(SharedOperations, PresenceFollowsTheMasksOfThePowerStateByte) {
  fake::FakeEcLibrary ec;
  BatteryFunc3th pack;
  pack.addressTable = kAddressTableA;
  ec.ram[0x0380] = 0x05;
  EXPECT_TRUE(pack.IsAcPresent());
  EXPECT_FALSE(pack.IsBatteryPresent(0));
  EXPECT_TRUE(pack.IsBatteryPresent(1));
  ec.ram[0x0380] = 0x03;
  EXPECT_TRUE(pack.IsBatteryPresent(0));
  EXPECT_FALSE(pack.IsBatteryPresent(1));
  EXPECT_FALSE(pack.IsBatteryPresent(2));  // there are two records only
}

}  // namespace
