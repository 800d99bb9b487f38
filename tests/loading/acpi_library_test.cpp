#include "hw/acpi_library.h"

#include "hw/library_binding.h"
#include "os/folders.h"
#include "tests/loading/loading_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace loading_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kRuntimeResource = 131;
constexpr int kAcpiResource = 133;
const std::string kName = "A00004DE2.DLL";

class RecordingSink : public hw::IMessageSink {
 public:
  void ShowMessage(std::string_view text, std::string_view caption) override {
    shown.emplace_back(std::string(text), std::string(caption));
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

class AcpiLoading : public LoadingTest {
 protected:
  RecordingSink sink;
};

TEST_F(AcpiLoading, Way1SorrelInTheCurrentDirectoryWritesAndDeletesNothing) {
  Carry(kAcpiResource, FAKE_SORREL);
  Carry(kRuntimeResource, FAKE_RUNTIME);
  Place(FAKE_SORREL, "Sorrel.dll");
  Place(FAKE_RUNTIME, "msvcr100.dll");
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  const auto& state = hw::AcpiLibraryLoadState();
  EXPECT_EQ(state.way, hw::AcpiLoadWay::kCurrentFolder);
  EXPECT_EQ(state.path, Cwd() / "Sorrel.dll");
  EXPECT_FALSE(state.writtenCopy);
  EXPECT_EQ(hw::AcpiDeviceType(), 2u);  // answered through its runtime
  EXPECT_EQ(hw::InitializeAcpiDevice(), 1u);
  EXPECT_THAT(PrivateFiles(), IsEmpty());
  hw::UnloadAcpiLibrary();
  EXPECT_EQ(hw::AcpiLibrary().One_WMIMethod_INTEx, nullptr);
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "Sorrel.dll"));
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "msvcr100.dll"));
  EXPECT_THAT(sink.shown, IsEmpty());
}

TEST_F(AcpiLoading, Way2CarriedCopyFindsTheRuntimeOfTheCurrentDirectory) {
  Carry(kAcpiResource, FAKE_SORREL);
  Place(FAKE_RUNTIME, "msvcr100.dll");
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  const auto& state = hw::AcpiLibraryLoadState();
  EXPECT_EQ(state.way, hw::AcpiLoadWay::kWrittenCopy);
  EXPECT_EQ(state.path, os::PrivateRunDirectory() / kName);
  EXPECT_TRUE(state.writtenCopy);
  EXPECT_EQ(hw::AcpiDeviceType(), 2u);
  hw::UnloadAcpiLibrary();
  EXPECT_THAT(PrivateFiles(), IsEmpty());
}

TEST_F(AcpiLoading, Way3RuntimeIsPutBesideSorrelWhichThenLoads) {
  Carry(kAcpiResource, FAKE_SORREL);
  Carry(kRuntimeResource, FAKE_RUNTIME);
  Place(FAKE_SORREL, "Sorrel.dll");
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  const auto& state = hw::AcpiLibraryLoadState();
  EXPECT_EQ(state.way, hw::AcpiLoadWay::kCurrentFolderWithRuntime);
  EXPECT_EQ(state.path, Cwd() / "Sorrel.dll");
  EXPECT_FALSE(state.writtenCopy);
  EXPECT_EQ(ReadFile(Cwd() / "msvcr100.dll"), ReadFile(FAKE_RUNTIME));
  EXPECT_THAT(PrivateFiles(), IsEmpty());  // way 2's copy failed and was deleted
  hw::UnloadAcpiLibrary();
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "msvcr100.dll"));  // stays
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "Sorrel.dll"));
}

TEST_F(AcpiLoading, Way4CopyWrittenAgainAfterTheRuntimeArrived) {
  Carry(kAcpiResource, FAKE_SORREL);
  Carry(kRuntimeResource, FAKE_RUNTIME);
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  const auto& state = hw::AcpiLibraryLoadState();
  EXPECT_EQ(state.way, hw::AcpiLoadWay::kWrittenCopyAgain);
  EXPECT_EQ(state.path, os::PrivateRunDirectory() / kName);
  EXPECT_TRUE(state.writtenCopy);
  EXPECT_THAT(PrivateFiles(), ElementsAre(kName));
  hw::UnloadAcpiLibrary();
  EXPECT_THAT(PrivateFiles(), IsEmpty());
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "msvcr100.dll"));
  EXPECT_THAT(sink.shown, IsEmpty());
}

TEST_F(AcpiLoading, NoWayWorksShowsTheMessageOnceAndLeavesTheTableEmpty) {
  ASSERT_FALSE(hw::LoadAcpiLibrary(kName, sink));
  EXPECT_THAT(sink.shown, ElementsAre(std::pair<std::string, std::string>("Sorrel.dll Loading Error !!", "Error")));
  EXPECT_EQ(hw::AcpiLibrary().GetZYLACPIDeviceTypeEx, nullptr);
  EXPECT_EQ(hw::AcpiDeviceType(), 0u);        // no wrapper
  EXPECT_EQ(hw::InitializeAcpiDevice(), 0u);  // ACPI functions unavailable
  EXPECT_EQ(hw::AcpiLibraryLoadState().module, nullptr);
  EXPECT_THAT(PrivateFiles(), IsEmpty());
}

TEST_F(AcpiLoading, SorrelMissingAnExportCountsAsNotLoaded) {
  Carry(kAcpiResource, FAKE_SORREL);
  Place(FAKE_SORREL_INCOMPLETE, "Sorrel.dll");
  Place(FAKE_RUNTIME, "msvcr100.dll");
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  EXPECT_EQ(hw::AcpiLibraryLoadState().way, hw::AcpiLoadWay::kWrittenCopy);
  EXPECT_NE(hw::AcpiLibrary().unused[5], nullptr);
}

TEST_F(AcpiLoading, ExistingRuntimeFileIsNeverOverwritten) {
  Carry(kAcpiResource, FAKE_SORREL_INCOMPLETE);
  Carry(kRuntimeResource, FAKE_RUNTIME);
  Place(FAKE_SORREL, "Sorrel.dll");
  std::ofstream(Cwd() / "msvcr100.dll") << "somebody's own file";
  EXPECT_FALSE(hw::LoadAcpiLibrary(kName, sink));
  EXPECT_EQ(ReadFile(Cwd() / "msvcr100.dll"), "somebody's own file");
  EXPECT_EQ(sink.shown.size(), 1u);
  EXPECT_THAT(PrivateFiles(), IsEmpty());
}

TEST_F(AcpiLoading, PlantedLinkUnderTheDrawnNameIsNotFollowed) {
  Carry(kAcpiResource, FAKE_SORREL);
  Carry(kRuntimeResource, FAKE_RUNTIME);
  const auto target = Tmp() / "elsewhere.dll";
  std::filesystem::create_symlink(target, Tmp() / kName);
  ASSERT_TRUE(hw::LoadAcpiLibrary(kName, sink));
  EXPECT_NE(hw::AcpiLibraryLoadState().path.parent_path(), Tmp());
  EXPECT_FALSE(std::filesystem::exists(target));
  hw::UnloadAcpiLibrary();
  EXPECT_TRUE(std::filesystem::is_symlink(Tmp() / kName));
}

}  // namespace
}  // namespace loading_test
