#include "hw/bridge_loader.h"

#include "hw/bridge_library.h"
#include "os/folders.h"
#include "tests/loading/loading_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace loading_test {
namespace {

using ::testing::IsEmpty;

constexpr int kBridgeResource = 150;
const std::string kName = "A00001234.DLL";

std::int64_t FixedSecond() { return 1'765'432'100; }

class BridgeLoading : public LoadingTest {};

TEST_F(BridgeLoading, StartsAsNoModuleEmptyPathKeepFile) {
  const hw::LibraryBinding binding;
  EXPECT_EQ(binding.module, nullptr);
  EXPECT_TRUE(binding.path.empty());
  EXPECT_EQ(binding.keepFile, 1u);
}

TEST_F(BridgeLoading, ResCopyIsUsedInPlaceAndKept) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  Place(FAKE_BRIDGE_MARKED, "res/TesselDll.dll");
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_EQ(binding.path, Cwd() / "res" / "TesselDll.dll");
  EXPECT_EQ(binding.keepFile, 1u);
  ASSERT_NE(hw::BridgeLibrary().GetECRAM, nullptr);
  EXPECT_EQ(hw::BridgeLibrary().GetECRAM(), 99);  // the res copy, not the carried one
  EXPECT_THAT(PrivateFiles(), IsEmpty());

  hw::UnloadLibrary(binding);
  EXPECT_EQ(binding.module, nullptr);
  EXPECT_EQ(hw::BridgeLibrary().ReadECRAM, nullptr);  // no entry outlives the library
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "res" / "TesselDll.dll"));
}

TEST_F(BridgeLoading, WithoutResCopyTheCarriedCopyIsWrittenLoadedAndDeletedAtExit) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadBridgeLibrary(binding, kName));
  const auto privateDirectory = os::PrivateRunDirectory();
  EXPECT_EQ(binding.path, privateDirectory / kName);
  EXPECT_EQ(privateDirectory.parent_path(), Tmp());
  EXPECT_EQ(binding.keepFile, 0u);
  EXPECT_EQ(ReadFile(binding.path), ReadFile(FAKE_BRIDGE));
  EXPECT_EQ(hw::BridgeLibrary().GetECRAM(), 1);
  EXPECT_EQ(hw::BridgeLibrary().SetI2CDevice("\\_SB.PCI0.I2C1", 0x66), 0x66u);

  hw::UnloadLibrary(binding);
  EXPECT_FALSE(std::filesystem::exists(privateDirectory / kName));
  os::RemovePrivateRunDirectory();
  EXPECT_FALSE(std::filesystem::exists(privateDirectory));
}

TEST_F(BridgeLoading, ResCopyMissingAnExportCountsAsNotLoaded) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  Place(FAKE_BRIDGE_INCOMPLETE, "res/TesselDll.dll");
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_EQ(binding.path, os::PrivateRunDirectory() / kName);
  EXPECT_NE(hw::BridgeLibrary().ReleaseECRAM, nullptr);
  hw::UnloadLibrary(binding);
}

TEST_F(BridgeLoading, CarriedCopyThatDoesNotBindIsDeletedAndTheLoadFails) {
  Carry(kBridgeResource, FAKE_BRIDGE_INCOMPLETE);
  hw::LibraryBinding binding;
  EXPECT_FALSE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_EQ(binding.module, nullptr);
  EXPECT_EQ(hw::BridgeLibrary().GetECRAM, nullptr);  // never a half-filled table
  EXPECT_THAT(PrivateFiles(), IsEmpty());
}

TEST_F(BridgeLoading, NoResCopyAndNoResourceFails) {
  hw::LibraryBinding binding;
  EXPECT_FALSE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_THAT(PrivateFiles(), IsEmpty());
  hw::UnloadLibrary(binding);  // harmless on a failed binding
}

TEST_F(BridgeLoading, UnreadableCurrentDirectoryOnlySkipsTheResCopy) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  const auto gone = Cwd() / "gone";
  std::filesystem::create_directory(gone);
  testing_support::ScopedChdir in(gone);
  std::filesystem::remove(gone);
  EXPECT_TRUE(hw::ResFolderPath("TesselDll.dll").empty());
  EXPECT_TRUE(hw::CurrentFolderPath("Sorrel.dll").empty());
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_TRUE(binding.path.is_absolute());
  hw::UnloadLibrary(binding);
}

// Someone who knows the start time can work out the names we draw and plant something there.
TEST_F(BridgeLoading, PlantedFileOrLinkInTheTemporaryFilesDirectoryIsNeverUsed) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  const std::string drawn = hw::DrawCarriedCopyNames(FixedSecond).bridge;
  std::filesystem::copy_file(FAKE_BRIDGE_MARKED, Tmp() / drawn);
  const auto victim = Tmp() / "victim.txt";
  std::ofstream(victim) << "keep me";
  const std::string linkName = hw::CarriedCopyName(0x7FFF);
  std::filesystem::create_symlink(victim, Tmp() / linkName);

  for (const std::string& name : {drawn, linkName}) {
    hw::LibraryBinding binding;
    ASSERT_TRUE(hw::LoadBridgeLibrary(binding, name));
    EXPECT_NE(binding.path.parent_path(), Tmp());
    EXPECT_EQ(hw::BridgeLibrary().GetECRAM(), 1);  // our copy, not the planted one
    hw::UnloadLibrary(binding);
  }
  EXPECT_EQ(ReadFile(Tmp() / drawn), ReadFile(FAKE_BRIDGE_MARKED));
  EXPECT_EQ(ReadFile(victim), "keep me");
  EXPECT_TRUE(std::filesystem::is_symlink(Tmp() / linkName));
}

TEST_F(BridgeLoading, FileInOurPrivateDirectoryThatWeDidNotWriteIsNeitherLoadedNorDeleted) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  const auto planted = os::PrivateRunDirectory() / kName;
  std::filesystem::copy_file(FAKE_BRIDGE_MARKED, planted);
  hw::LibraryBinding binding;
  EXPECT_FALSE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_EQ(hw::BridgeLibrary().GetECRAM, nullptr);
  hw::UnloadLibrary(binding);
  os::RemovePrivateRunDirectory();
  EXPECT_EQ(ReadFile(planted), ReadFile(FAKE_BRIDGE_MARKED));
}

TEST_F(BridgeLoading, LinkInOurPrivateDirectoryIsNotWrittenThrough) {
  Carry(kBridgeResource, FAKE_BRIDGE);
  const auto target = Tmp() / "target.dll";
  std::filesystem::create_symlink(target, os::PrivateRunDirectory() / kName);
  hw::LibraryBinding binding;
  EXPECT_FALSE(hw::LoadBridgeLibrary(binding, kName));
  EXPECT_FALSE(std::filesystem::exists(target));
  hw::UnloadLibrary(binding);
  EXPECT_TRUE(std::filesystem::is_symlink(os::PrivateRunDirectory() / kName));
}

TEST(CarriedCopyNames, DrawnInOrderBridgeEcAcpiAndRepeatedWithinOneSecond) {
  os::RandomGenerator generator(static_cast<std::uint32_t>(FixedSecond()));
  const std::string bridge = hw::CarriedCopyName(generator.Next());
  const std::string ec = hw::CarriedCopyName(generator.Next());
  const std::string acpi = hw::CarriedCopyName(generator.Next());
  const hw::CarriedCopyNames names = hw::DrawCarriedCopyNames(FixedSecond);
  EXPECT_EQ(names.bridge, bridge);
  EXPECT_EQ(names.ecLibrary, ec);
  EXPECT_EQ(names.acpiLibrary, acpi);
  const hw::CarriedCopyNames again = hw::DrawCarriedCopyNames(FixedSecond);
  EXPECT_EQ(again.bridge, names.bridge);
  EXPECT_EQ(again.acpiLibrary, names.acpiLibrary);
}

TEST(CarriedCopyNames, FormatHasFourLeadingZerosAndUpperCaseHex) {
  EXPECT_EQ(hw::CarriedCopyName(0), "A00000000.DLL");
  EXPECT_EQ(hw::CarriedCopyName(0x7FFF), "A00007FFF.DLL");
  EXPECT_EQ(hw::CarriedCopyName(0x1ABC), "A00001ABC.DLL");
}

}  // namespace
}  // namespace loading_test
