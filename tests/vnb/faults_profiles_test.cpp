// Every profile selects its path and every fault shows itself where the program would meet it.
#include "vnb_test_support.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/machine_state.h"

#include <cstring>

namespace vnbtest {
namespace {

std::string RomVersion(std::uint16_t base) {
  std::string text;
  for (std::uint16_t a = 0x118; a <= 0x11F; ++a) text += static_cast<char>(ReadRom(static_cast<std::uint16_t>(base + a)));
  return text;
}

std::string RereadVersion() {
  std::string text;
  for (std::uint8_t i = 0; i < 31; ++i) {
    const std::uint8_t c = Ext(0xBB, {static_cast<std::uint8_t>(0x20 + i)}, 1)[0];
    if (c == 0) break;
    text += static_cast<char>(c);
  }
  return text;
}

using Faults = VnbTest;

TEST_F(Faults, RomWithoutSignature) {
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kRomNoSignature, true));
  EXPECT_NE(ReadRom(0x10B) << 8 | ReadRom(0x10C), 'N' << 8 | 'V');
  EXPECT_EQ(RomVersion(0), "NVAP3105");  // the string is still there
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kRomNoSignature, false));
  EXPECT_EQ(ReadRom(0x10B), 'N');
}

TEST_F(Faults, InvalidVersionStringOnEveryPath) {
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kBadVersion, true));
  for (const std::string& text : {RomVersion(0), RereadVersion()}) {
    ASSERT_EQ(text.size(), 8u);
    bool control = false;
    for (char c : text) control = control || static_cast<unsigned char>(c) < 0x20;
    EXPECT_TRUE(control) << text;
  }
}

TEST_F(Faults, SmbusBusyByteStuck) {
  UseProfile("alt-sl");
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kSmbusBusyStuck, true));
  EXPECT_EQ(SmbusWord(0x0D), 0);  // reading the result does not end a stuck transaction
  EXPECT_EQ(ReadEc(0xEDE3), 1);
  EXPECT_EQ(SmbusBlock(0x21, 0xEC3D, 0xEC1C, true, 7), "");
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kSmbusBusyStuck, false));
  EXPECT_EQ(ReadEc(0xEDE3), 0);
  EXPECT_EQ(SmbusWord(0x0D), ReadEcWord(0xF7B0));
}

TEST_F(Faults, AcAndBatteryChangesShowInThePowerStateAtOnce) {
  EXPECT_EQ(ReadEc(0x0380), 0x07);
  ASSERT_TRUE(TheMachine().SetAc(false));
  EXPECT_EQ(ReadEc(0x0380), 0x06);
  ASSERT_TRUE(TheMachine().SetBattery(1, false, nullptr));
  EXPECT_EQ(ReadEc(0x0380), 0x02);
  ASSERT_TRUE(TheMachine().SetAc(true));
  ASSERT_TRUE(TheMachine().SetBattery(1, true, nullptr));
  EXPECT_EQ(ReadEc(0x0380), 0x07);
  std::string error;
  EXPECT_FALSE(TheMachine().SetBattery(2, true, &error));
  EXPECT_FALSE(error.empty());
}

struct ProfileCase {
  const char* profile;
  std::uint16_t powerStateAddress;
  std::uint8_t at2000;
  bool mailboxSigned;
  std::uint8_t powerWithPacks;  // 0x0380 (or 0xF780) right after selecting the profile
};

class Profiles : public VnbTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(Profiles, SelectsItsLayoutMailboxAndSlots) {
  const ProfileCase& c = GetParam();
  UseProfile(c.profile);
  EXPECT_EQ(ReadEc(0x2000), c.at2000);
  EXPECT_EQ(ReadEc(c.powerStateAddress), c.powerWithPacks);
  std::uint8_t bank[kCmosBankSize] = {};
  Brantel().IndexIO(0x72, 0x73, bank);
  std::uint32_t x = 0, p = 0;
  std::memcpy(&x, bank + 0x43, 4);
  EcBufferDescriptor d{reinterpret_cast<std::uint8_t*>(&p), 4};
  Brantel().ReadPhyMemory(&d, x + 0xDC, 0, 4);
  bool signedArea = false;
  if (p != 0) {
    EcMapBlock block{p, 0, 0, 0, 0x200};
    Brantel().MAPPHYSTOLIN(&block);
    signedArea = std::memcmp(EcMapBlockLinear(block), "$ECMA$", 6) == 0;
  }
  EXPECT_EQ(signedArea, c.mailboxSigned);
}

INSTANTIATE_TEST_SUITE_P(
    All, Profiles,
    ::testing::Values(ProfileCase{"i2c", 0x0380, 0x85, false, 0x07}, ProfileCase{"i2c-pci", 0x0380, 0x85, false, 0x07},
                      ProfileCase{"mailbox", 0x0380, 0x85, true, 0x07},
                      ProfileCase{"window-wmi", 0x0380, 0x85, false, 0x07},
                      ProfileCase{"window-com", 0x0380, 0x85, false, 0x07},
                      ProfileCase{"window-noacpi", 0x0380, 0x85, false, 0x07},
                      ProfileCase{"alt-sl", 0xF780, 0xFF, false, 0x07}, ProfileCase{"alt-kl", 0xF780, 0xFF, false, 0x07},
                      ProfileCase{"one-battery", 0x0380, 0x85, false, 0x03}),
                         ByProfile());

TEST_F(Faults, OneBatteryProfileHasNoSecondSlot) {
  UseProfile("one-battery");
  std::string error;
  EXPECT_FALSE(TheMachine().SetBattery(1, true, &error));
  EXPECT_NE(error.find("no battery 2"), std::string::npos) << error;
  EXPECT_EQ(ReadEcWord(vnb::ec::MapOf(1).voltage), 0);
}

TEST_F(Faults, SelectingAProfileStartsAFreshMachine) {
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kDriverLoadFail, true));
  ASSERT_TRUE(TheMachine().SetAc(false));
  WriteEc(0x0750, 0x12);
  UseProfile("window-wmi");
  EXPECT_NE(Brantel().LoadECDriver(), 0u);
  EXPECT_EQ(ReadEc(0x0380) & 1, 1);
  EXPECT_EQ(ReadEc(0x0750), 0);
  std::string error;
  EXPECT_FALSE(TheMachine().SelectProfile("nonesuch", &error));
  EXPECT_NE(error.find("nonesuch"), std::string::npos);
}

}  // namespace
}  // namespace vnbtest
