#include "hw/smi_mailbox.h"
#include "tests/support/fake_ec_library.h"

#include <gtest/gtest.h>

namespace {

TEST(LocateSmiMailbox, FollowsTheCmosAndFirmwarePointers) {
  fake::FakeEcLibrary ec;
  ec.PlaceMailbox(0x000F0000, 0x7FFE1000);
  hw::SmiMailbox* mailbox = hw::LocateSmiMailbox();
  ASSERT_NE(mailbox, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(mailbox), ec.area.data() + 8);
  EXPECT_EQ(ec.maps, (std::vector<std::uint32_t>{0x7FFE1000}));
  EXPECT_TRUE(ec.unmaps.empty());  // the mapping stays
}

TEST(LocateSmiMailbox, ZeroFirmwarePointerMapsNothing) {
  fake::FakeEcLibrary ec;
  ec.PlaceMailbox(0x000F0000, 0);
  EXPECT_EQ(hw::LocateSmiMailbox(), nullptr);
  EXPECT_TRUE(ec.maps.empty());
}

TEST(LocateSmiMailbox, WrongSignatureIsUnmapped) {
  fake::FakeEcLibrary ec;
  ec.PlaceMailbox(0x000F0000, 0x7FFE1000, "$ECMB$");
  EXPECT_EQ(hw::LocateSmiMailbox(), nullptr);
  EXPECT_EQ(ec.unmaps, (std::vector<std::uint32_t>{0x7FFE1000}));
}

TEST(LocateSmiMailbox, UnboundLibraryFindsNothing) {
  hw::ClearEcLibrary();
  EXPECT_EQ(hw::LocateSmiMailbox(), nullptr);
}

}  // namespace
