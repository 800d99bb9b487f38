#include "hw/ec_basic_3th.h"
#include "hw/ec_basic_generic.h"
#include "hw/ec_basic_i2c.h"
#include "tests/support/fake_bridge_library.h"
#include "tests/support/fake_ec_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutRomVersion(fake::FakeEcLibrary& ec, const std::string& eight, const char* signature,
                   std::uint16_t offset = 0) {
  for (std::size_t i = 0; i < 8; ++i) ec.rom[0x118 + offset + i] = static_cast<std::uint8_t>(eight[i]);
  ec.rom[0x10B + offset] = static_cast<std::uint8_t>(signature[0]);
  ec.rom[0x10C + offset] = static_cast<std::uint8_t>(signature[1]);
}

std::string Version(hw::IEcBasic& ec) {
  char out[hw::kVersionBufferSize];
  std::memset(out, '#', sizeof out);
  return ec.GetVersionString(out);
}

struct RomCase {
  const char* rom;
  const char* signature;
  const char* expected;
};

TEST(EcBasic3thVersion, FollowsSignatureAndHexRules) {
  const RomCase cases[] = {
      {"AB1234C5", "NV", "AB1234C5"},  // bytes 7 and 8 are hexadecimal: all eight
      {"AB1234XY", "NV", "AB1234"},    // otherwise the first six
      {"AB12\0" "4C5", "NV", "AB12"},  // a zero byte ends the text
      {"\x12\x34\x56\x78\x9A\xBC\xDE\xF0", "XX", "123456"},
      {"\x33\x33\x33\x33\x33\x33\x01\x02", "NW", "FFFFFF"},
  };
  for (const RomCase& c : cases) {
    fake::FakeEcLibrary fakeEc;
    PutRomVersion(fakeEc, std::string(c.rom, 8), c.signature);
    hw::EcBasic3th ec;
    EXPECT_EQ(Version(ec), c.expected) << c.expected;
    EXPECT_STREQ(ec.versionText, c.expected);
  }
  fake::FakeEcLibrary allZero;
  hw::EcBasic3th ec;
  EXPECT_EQ(Version(ec), "FFFFFF");
}

TEST(EcBasic3thVersion, SecondLayoutReadsTheRomAboveTheFirst) {
  fake::FakeEcLibrary fakeEc;
  PutRomVersion(fakeEc, "WRONG123", "NV");
  PutRomVersion(fakeEc, "RIGHT1A2", "NV", 0x1000);
  hw::EcBasic3th ec;
  ec.alternateMap = 1;
  EXPECT_EQ(Version(ec), "RIGHT1A2");
}

class ExtendedReRead : public ::testing::Test {
 protected:
  void SetUp() override {
    PutRomVersion(fakeEc, std::string("ABKL12\0\0", 8), "NV");  // class 0x2000
    fakeEc.onExt = [this](EcExtCmdBlock& block) {
      if (block.command != 0xBB) return;
      const std::size_t i = block.data[0] - 0x20u;
      block.data[0] = i < reply.size() ? static_cast<std::uint8_t>(reply[i]) : fill;
    };
  }
  fake::FakeEcLibrary fakeEc;
  hw::EcBasic3th ec;
  std::string reply;
  std::uint8_t fill = 0;
};

TEST_F(ExtendedReRead, ReplacesTheRomTextForClass2000) {
  reply = std::string("ABKL12-LONGER", 13) + '\0';
  EXPECT_EQ(Version(ec), "ABKL12-LONGER");
  EXPECT_STREQ(ec.versionText, "ABKL12-LONGER");
  EXPECT_EQ(ec.projectClass, hw::kProjectClassKl);
  ASSERT_EQ(fakeEc.extCalls.size(), 14u);  // up to and including the zero byte
  for (std::size_t i = 0; i < fakeEc.extCalls.size(); ++i) {
    EXPECT_EQ(fakeEc.extCalls[i], (fake::ExtCall{0xBB, {static_cast<std::uint8_t>(0x20 + i)}}));
  }
}

TEST_F(ExtendedReRead, EmptyReplyEmptiesTheBufferButKeepsTheRomText) {
  reply = std::string(1, '\0');
  EXPECT_EQ(Version(ec), "");
  EXPECT_STREQ(ec.versionText, "ABKL12");
}

TEST_F(ExtendedReRead, NoTerminatorStopsAtThirtyOneBytes) {
  fill = 'Z';
  const std::string version = Version(ec);
  EXPECT_EQ(version, std::string(31, 'Z'));
  EXPECT_EQ(fakeEc.extCalls.size(), 31u);
  EXPECT_EQ(std::string(ec.versionText), std::string(31, 'Z'));
}

TEST(ProjectClass, ClassifiesCharactersThreeAndFour) {
  struct Case {
    const char* text;
    std::uint32_t before, after;
  } cases[] = {
      {"ABSL12", 0, 0x1000}, {"ABKL12", 0, 0x2000}, {"ABAP12", 0x1000, 0x2000},
      {"ABXY12", 0x1000, 0x1000}, {"ABS", 0x2000, 0x2000}, {"absl12", 0, 0},
  };
  for (const Case& c : cases) {
    hw::EcBasic3th ec;
    std::strcpy(ec.versionText, c.text);
    ec.projectClass = c.before;
    EXPECT_EQ(ec.GetProjectClass(), c.after) << c.text;
  }
}

TEST(ChipId, ReadsTheIdentificationBytesOfEachLayout) {
  fake::FakeEcLibrary fakeEc;
  fakeEc.ram[0x2000] = 0x85;
  fakeEc.ram[0x2001] = 0x28;
  fakeEc.ram[0xFF1E] = 0x12;
  fakeEc.ram[0xFF1F] = 0x34;
  fakeEc.ram[0x2002] = 0x07;
  hw::EcBasic3th ec;
  EXPECT_EQ(ec.GetChipId(), 0x8528);
  EXPECT_EQ(ec.GetChipRevision(), 0x07);
  EXPECT_EQ(ec.GetEcState(), 1);
  ec.alternateMap = 1;
  EXPECT_EQ(ec.GetChipId(), 0x1234);
  EXPECT_EQ(ec.GetChipRevision(), 0x07);  // same address in both layouts
}

TEST(EcBasicI2c, SendsTheDocumentedFrames) {
  fake::FakeBridgeLibrary bridge;
  bridge.onFrame = [](const Bytes& frame) -> Bytes {
    if (frame == Bytes{0xEC}) return Bytes{'K', 'B', 'S', 'L', '0', '1', '0', '2'};
    if (frame.size() == 4 && frame[0] == 0xD0 && frame[1] == 0x08) return Bytes{static_cast<std::uint8_t>(frame[2] ^ frame[3])};
    return {};
  };
  hw::EcBasicI2c ec;
  EXPECT_EQ(Version(ec), "KBSL0102");
  EXPECT_EQ(bridge.replyLengths.back(), 8u);
  EXPECT_EQ(ec.ReadByte(0x1234), 0x12 ^ 0x34);
  EXPECT_EQ(bridge.frames.back(), (Bytes{0xD0, 0x08, 0x34, 0x12}));
  ec.WriteByte(0xABCD, 0x5A);
  EXPECT_EQ(bridge.frames.back(), (Bytes{0xD0, 0x09, 0xCD, 0xAB, 0x5A}));
  EXPECT_EQ(bridge.replyLengths.back(), 0u);

  ec.alternateMap = 1;  // the identification bytes are read at 0x2000 in both layouts
  bridge.frames.clear();
  EXPECT_EQ(ec.GetChipId(), ((0x00 ^ 0x20) << 8) | (0x01 ^ 0x20));
  EXPECT_EQ(bridge.frames, (std::vector<Bytes>{{0xD0, 0x08, 0x00, 0x20}, {0xD0, 0x08, 0x01, 0x20}}));
}

TEST(EcBasicI2c, AFailingBridgeGivesThePlaceholders) {
  fake::FakeBridgeLibrary bridge;
  bridge.fail = true;
  bridge.onFrame = [](const Bytes&) { return Bytes{0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}; };
  hw::EcBasicI2c ec;
  EXPECT_EQ(Version(ec), "FFFFFF");
  EXPECT_EQ(ec.ReadByte(0x0380), 0);
  EXPECT_EQ(ec.GetChipId(), 0x0000);
  EXPECT_EQ(ec.GetEcState(), 0);
}

TEST(EcAccess, AnUnboundLibraryIsNeverCalled) {
  hw::ClearEcLibrary();
  hw::ClearBridgeLibrary();
  hw::EcBasic3th window;
  EXPECT_EQ(window.ReadByte(0x2000), 0);
  window.WriteByte(0x2000, 1);
  EXPECT_EQ(Version(window), "FFFFFF");
  hw::EcBasicI2c i2c;
  EXPECT_EQ(Version(i2c), "FFFFFF");
  EXPECT_EQ(i2c.ReadByte(0x10), 0);
}

class MailboxAccess : public ::testing::Test {
 protected:
  fake::FakeEcLibrary fakeEc;
  hw::EcBasicGeneric ec{reinterpret_cast<hw::SmiMailbox*>(fakeEc.Mailbox())};
};

TEST_F(MailboxAccess, EachFunctionSendsAnEcClassBlock) {
  fakeEc.firmware = [](std::uint8_t* block) {
    block[24] = static_cast<std::uint8_t>(0x40 + block[8]);
    block[25] = 0x28;
    if (block[8] == 4) std::memcpy(block + 24, "KBSL0102", 8);
  };
  EXPECT_EQ(ec.GetEcState(), 0x41);
  const std::uint8_t expected[32] = {0x01, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0x01, 0x00, 0x00, 0x01};
  EXPECT_EQ(std::memcmp(fakeEc.lastTrigger.data(), expected, 32), 0);
  EXPECT_EQ(ec.GetChipId(), 0x4228);
  // The swap happens in the block itself.
  EXPECT_EQ(fakeEc.Mailbox()[24], 0x28);
  EXPECT_EQ(fakeEc.Mailbox()[25], 0x42);
  EXPECT_EQ(ec.GetChipRevision(), 0x43);
  EXPECT_EQ(Version(ec), "KBSL01");  // six characters
  EXPECT_STREQ(ec.versionText, "KBSL01");
}

TEST_F(MailboxAccess, RamBytesGoThroughTheThirdWindow) {
  fakeEc.ram[0x0400] = 0x99;
  EXPECT_EQ(ec.ReadByte(0x0400), 0x99);
  ec.WriteByte(0x0401, 0x55);
  EXPECT_EQ(fakeEc.ram[0x0401], 0x55);
}

}  // namespace
