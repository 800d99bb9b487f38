// Brantel.dll as the program loads it: by path, RTLD_NOW, every export bound by name, and the
// calls the program relies on acting on the virtual notebook.
#include "vnb_test_support.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/machine_state.h"

#include <cstdlib>
#include <cstring>

namespace vnbtest {
namespace {

using BrantelContract = VnbTest;

TEST_F(BrantelContract, ExportsEveryBoundNameAndTheUnusedOnesAnswerZero) {
  Library library(BinPath("Brantel.dll"));
  ASSERT_TRUE(library.loaded()) << library.error();
#define VNB_CHECK_CALLED(name, type) EXPECT_NE(library.Symbol(#name), nullptr) << #name;
  PACKWATCH_EC_CALLED_EXPORTS(VNB_CHECK_CALLED)
#undef VNB_CHECK_CALLED
#define VNB_CHECK_UNUSED(name)                                                       \
  {                                                                                  \
    auto fn = reinterpret_cast<EcUnusedFn>(library.Symbol(#name));                   \
    ASSERT_NE(fn, nullptr) << #name;                                                 \
    EXPECT_EQ(fn(), 0u) << #name;                                                    \
  }
  PACKWATCH_EC_UNUSED_EXPORTS(VNB_CHECK_UNUSED)
#undef VNB_CHECK_UNUSED
}

TEST_F(BrantelContract, SecondCopyFromAnotherPathSeesTheSameMachine) {
  // Two instances with their own statics: the state they share is the segment's.
  const std::string copy = "/tmp/vnb-brantel-copy-" + std::to_string(getpid()) + ".dll";
  ASSERT_EQ(std::system(("cp " + BinPath("Brantel.dll") + " " + copy).c_str()), 0);
  {
    Library second(copy);
    ASSERT_TRUE(second.loaded()) << second.error();
    auto write = reinterpret_cast<EcMemFn>(second.Symbol("ECMem3w"));
    EcMemBlock block{};
    block.address = 0x0700;
    block.value = 0x5A;
    write(&block);
  }
  std::remove(copy.c_str());
  EXPECT_EQ(ReadEc(0x0700), 0x5A);
}

TEST_F(BrantelContract, EcRamReadWriteTakesTheLowByteOnly) {
  WriteEc(0x0710, 0x3C);  // WriteEc puts 0xAB in the byte above
  EXPECT_EQ(ReadEc(0x0710), 0x3C);
  EXPECT_EQ(ReadEc(0x0711), 0x00);
}

struct LayoutCase {
  const char* profile;
  std::uint8_t at2000;
  std::uint16_t chipIdAddress;
  std::uint16_t romBase;
  const char* version;
};

class EcLayouts : public VnbTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(EcLayouts, IdentificationAndRomFollowTheLayout) {
  const LayoutCase& c = GetParam();
  UseProfile(c.profile);
  EXPECT_EQ(ReadEc(0x2000), c.at2000);
  const std::uint16_t chip = static_cast<std::uint16_t>(ReadEc(c.chipIdAddress) << 8 | ReadEc(c.chipIdAddress + 1));
  EXPECT_NE(chip, 0xFFFF);
  EXPECT_NE(chip, 0x0000);
  EXPECT_EQ(ReadRom(static_cast<std::uint16_t>(c.romBase + 0x10B)), 'N');
  EXPECT_EQ(ReadRom(static_cast<std::uint16_t>(c.romBase + 0x10C)), 'V');
  std::string version;
  for (std::uint16_t a = 0x118; a <= 0x11F; ++a) version += static_cast<char>(ReadRom(static_cast<std::uint16_t>(c.romBase + a)));
  EXPECT_EQ(version, c.version);
  // The identification bytes are not writable.
  WriteEc(0x2000, 0x12);
  EXPECT_EQ(ReadEc(0x2000), c.at2000);
}

INSTANTIATE_TEST_SUITE_P(Profiles, EcLayouts,
                         ::testing::Values(LayoutCase{"window-wmi", 0x85, 0x2000, 0x0000, "NVAP3105"},
                                           LayoutCase{"alt-sl", 0xFF, 0xFF1E, 0x1000, "NVSL2207"},
                                           LayoutCase{"alt-kl", 0xFF, 0xFF1E, 0x1000, "NVKL4212"}),
                         ByProfile());

TEST_F(BrantelContract, ExtendedVersionRereadEndsWithZero) {
  std::string text;
  for (std::uint8_t i = 0; i < 31; ++i) {
    const std::uint8_t c = Ext(0xBB, {static_cast<std::uint8_t>(0x20 + i)}, 1)[0];
    if (c == 0) break;
    text += static_cast<char>(c);
  }
  EXPECT_EQ(text, "NVAP3105");
}

TEST_F(BrantelContract, SmbusWordsAgreeWithTheEcRamMirror) {
  const vnb::ec::BatteryMap& map = vnb::ec::MapOf(0);
  EXPECT_EQ(SmbusWord(0x0D), ReadEcWord(map.rsoc));
  EXPECT_EQ(SmbusWord(0x09), ReadEcWord(map.voltage));
  EXPECT_EQ(SmbusWord(0x0A), ReadEcWord(map.current));
  EXPECT_EQ(SmbusWord(0x16), ReadEcWord(map.status));
  EXPECT_EQ(SmbusWord(0x08), ReadEcWord(map.temperature));
  EXPECT_EQ(SmbusWord(0x17), 57);      // cycle count, not mirrored for battery 1
  EXPECT_EQ(SmbusWord(0x19), 11100);   // design voltage
  // The cells add up to the pack voltage; a 3S pack has no fourth cell.
  EXPECT_EQ(SmbusWord(0x3F) + SmbusWord(0x3E) + SmbusWord(0x3D), SmbusWord(0x09));
  EXPECT_EQ(SmbusWord(0x3C), 0);
  // A command the pack does not know sets the error bit and reads 0.
  EXPECT_EQ(SmbusWord(0x55), 0);
  EXPECT_EQ(Ext(0x9A, {0x19}, 1)[0], 0x90);
}

TEST_F(BrantelContract, SecondLayoutShowsTheBusyByteWhileTheTransactionRuns) {
  UseProfile("alt-kl");  // clock stopped: the transaction only ends when the host reads a result
  Ext(0x9B, {0x18, 0x09}, 0);
  Ext(0x9B, {0x1A, 0x16}, 0);
  Ext(0x9B, {0x1B, 0x0D}, 0);
  Ext(0x9C, {}, 0);
  EXPECT_EQ(ReadEc(0xEDE3), 1);
  EXPECT_EQ(ReadEc(0xEDE3), 1);
  const std::uint8_t low = Ext(0x9A, {0x1C}, 1)[0];
  EXPECT_EQ(ReadEc(0xEDE3), 0);
  EXPECT_EQ(low, ReadEcWord(0xF7B0));
}

TEST_F(BrantelContract, SmbusTransactionCompletesByItselfWhenTheClockRuns) {
  UseProfile("alt-kl");
  ASSERT_TRUE(TheMachine().SetSpeed(1.0, nullptr));
  Ext(0x9B, {0x18, 0x09}, 0);
  Ext(0x9B, {0x1A, 0x16}, 0);
  Ext(0x9B, {0x1B, 0x0D}, 0);
  Ext(0x9C, {}, 0);
  usleep(5000);  // the program's pause
  EXPECT_EQ(ReadEc(0xEDE3), 0);
}

struct BlockCase {
  const char* profile;
  std::uint16_t countAddress;
  std::uint16_t dataAddress;
  bool secondLayout;
};

class SmbusBlocks : public VnbTest, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(SmbusBlocks, BlockReadLandsAtTheAddressTableWords) {
  const BlockCase& c = GetParam();
  UseProfile(c.profile);
  EXPECT_EQ(SmbusBlock(0x21, c.countAddress, c.dataAddress, c.secondLayout, 7), "VX3S44A");
  EXPECT_EQ(SmbusBlock(0x22, c.countAddress, c.dataAddress, c.secondLayout, 4), "LTS0");
  if (c.secondLayout) {
    // The second layout's firmware honours the length the host wrote first.
    EXPECT_EQ(SmbusBlock(0x21, c.countAddress, c.dataAddress, true, 3), "VX3");
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SmbusBlocks,
                         ::testing::Values(BlockCase{"window-wmi", 0x023C, 0x021C, false},
                                           BlockCase{"alt-sl", 0xEC3D, 0xEC1C, true},
                                           BlockCase{"alt-kl", 0xEC3C, 0xEC1C, true}),
                         ByProfile());

// The program's mailbox search: CMOS bank, firmware table, then the area.
std::uint32_t MailboxPointer() {
  std::uint8_t bank[kCmosBankSize];
  std::memset(bank, 0, sizeof bank);
  Brantel().IndexIO(0x72, 0x73, bank);
  std::uint32_t x = 0;
  std::memcpy(&x, bank + 0x43, 4);
  // A descriptor too small for the read: the library grows it through the callback.
  static std::uint32_t resizes = 0;
  resizes = 0;
  Brantel().SetBufResizeCallback([](EcBufferDescriptor* d, std::uint32_t size) {
    auto* data = static_cast<std::uint8_t*>(std::malloc(size));
    std::memset(data, 0xCD, size);
    std::memcpy(data, d->data, std::min(size, d->size));
    std::free(d->data);
    d->data = data;
    d->size = size;
    ++resizes;
  });
  EcBufferDescriptor descriptor{static_cast<std::uint8_t*>(std::malloc(1)), 1};
  Brantel().ReadPhyMemory(&descriptor, x + 0xDC, 0, 4);
  std::uint32_t p = 0;
  std::memcpy(&p, descriptor.data, 4);
  std::free(descriptor.data);
  EXPECT_EQ(resizes, 1u);
  EXPECT_NE(x, 0u);
  return p;
}

std::uint8_t* MapPhys(std::uint32_t address, std::uint32_t length) {
  EcMapBlock block{address, 0, 0, 0, length};
  Brantel().MAPPHYSTOLIN(&block);
  return static_cast<std::uint8_t*>(EcMapBlockLinear(block));
}

std::uint8_t* RunMailbox(std::uint8_t* block, std::uint16_t commandClass, std::uint16_t function,
                         std::uint8_t index, std::uint8_t direction, std::uint16_t argument) {
  std::memset(block, 0, 32);
  block[0] = 1;
  block[2] = static_cast<std::uint8_t>(commandClass);
  block[8] = static_cast<std::uint8_t>(function);
  block[10] = index;
  block[11] = direction;
  block[16] = static_cast<std::uint8_t>(argument & 0xFF);
  block[17] = static_cast<std::uint8_t>(argument >> 8);
  Brantel().IOWrite8(0xB2, 0xAA);
  return block + 24;
}

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

TEST_F(BrantelContract, MailboxIsFoundThroughTheCmosChainAndAnswersBothClasses) {
  UseProfile("mailbox");
  const std::uint32_t p = MailboxPointer();
  ASSERT_NE(p, 0u);
  std::uint8_t* area = MapPhys(p, 0x200);
  ASSERT_NE(area, nullptr);
  ASSERT_EQ(std::memcmp(area, "$ECMA$", 6), 0);
  std::uint8_t* block = area + 8;

  EXPECT_EQ(RunMailbox(block, 0x10, 1, 0, 1, 0)[0], 1);
  const std::uint8_t* chip = RunMailbox(block, 0x10, 2, 0, 1, 0);
  EXPECT_EQ(chip[0] << 8 | chip[1], 0x8527);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(RunMailbox(block, 0x10, 4, 0, 1, 0)), 6), "NVKL31");

  const vnb::ec::BatteryMap& second = vnb::ec::MapOf(1);
  EXPECT_EQ(RunMailbox(block, 0x12, 0x02, 0, 1, 0)[0], ReadEc(0x0380));
  EXPECT_EQ(RunMailbox(block, 0x12, 0x16, 1, 1, 0)[0], ReadEcWord(second.rsoc));
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x12, 1, 1, 0)), ReadEcWord(second.voltage));
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x11, 1, 1, 0)), ReadEcWord(second.temperature) - 2731);
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x1E, 1, 1, 0)), ReadEcWord(second.cycleCount));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(RunMailbox(block, 0x12, 0x22, 0, 1, 0)), 10), "NV15A2F5KE");
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x30, 0, 1, 0)), 5000);  // 'F'
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x31, 0, 1, 0)), 70);    // '5'
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x32, 0, 1, 0)), 300);   // 'K'
  EXPECT_EQ(RunMailbox(block, 0x12, 0x33, 0, 1, 0)[0], 0x32);     // 3S2P
  // Cells by argument: the 4S pack's four add up to its voltage, the 3S pack has no fourth.
  int sum = 0;
  for (std::uint16_t cell = 0; cell < 4; ++cell) sum += Word(RunMailbox(block, 0x12, 0x34, 1, 1, cell));
  EXPECT_EQ(sum, ReadEcWord(second.voltage));
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x34, 0, 1, 3)), 0);
}

TEST_F(BrantelContract, MailboxSetPointsShareTheEcRamWordsAndReadBackComplemented) {
  UseProfile("mailbox");
  std::uint8_t* block = MapPhys(MailboxPointer(), 0x200) + 8;
  RunMailbox(block, 0x12, 0x40, 0, 0, 2000);
  EXPECT_EQ(ReadEc(0x066A), 0x07);
  EXPECT_EQ(ReadEc(0x066B), 0xD0);
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x40, 0, 1, 0)), 0xF82F);
  // Written through EC RAM, read through the mailbox.
  WriteEc(0x0670, 0x01);
  WriteEc(0x0671, 0x00);
  EXPECT_EQ(Word(RunMailbox(block, 0x12, 0x41, 1, 1, 0)), 0xFEFF);
}

TEST_F(BrantelContract, NoMailboxWhereTheProfileHasNone) {
  EXPECT_EQ(MailboxPointer(), 0u);
  UseProfile("window-com");
  const std::uint32_t p = MailboxPointer();
  ASSERT_NE(p, 0u);
  EXPECT_NE(std::memcmp(MapPhys(p, 0x200), "$ECMA$", 6), 0);
}

TEST_F(BrantelContract, MappingsStayInsideTheFirmwareMemory) {
  EXPECT_EQ(MapPhys(0, 16), nullptr);
  EXPECT_EQ(MapPhys(vnb::kPhysBase, vnb::kPhysRegionSize + 1), nullptr);
  EXPECT_EQ(MapPhys(0xFFFFFFF0u, 0x100), nullptr);
  std::uint8_t* buffer = MapPhys(vnb::kPhysAcpiBuffer, 256);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer[0], 48);
  EcMapBlock block{vnb::kPhysAcpiBuffer, 0, 0, 0, 256};
  Brantel().MAPPHYSTOLIN(&block);
  Brantel().UNMAPPHYSADDR(&block);
  EXPECT_EQ(buffer[0], 48);  // still readable: the mapping belongs to the library
}

TEST_F(BrantelContract, LoadEcDriverAnswersPortIoOrTheWmiBuffer) {
  EXPECT_EQ(Brantel().LoadECDriver(), vnb::kPhysAcpiBuffer);
  UseProfile("window-com");
  EXPECT_EQ(Brantel().LoadECDriver(), 1u);
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kDriverLoadFail, true));
  EXPECT_EQ(Brantel().LoadECDriver(), 0u);
  Brantel().UnloadECDriver();
}

}  // namespace
}  // namespace vnbtest
