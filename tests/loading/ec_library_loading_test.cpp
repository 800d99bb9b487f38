#include "hw/ec_library.h"
#include "hw/library_binding.h"
#include "os/folders.h"
#include "tests/loading/loading_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace loading_test {
namespace {

using ::testing::IsEmpty;

constexpr int kEcResource = 129;
const std::string kName = "A00000029.DLL";

using RegisteredCallbackFn = EcBufResizeCallback (*)();

EcBufResizeCallback RegisteredCallback(const hw::LibraryBinding& binding) {
  auto get = reinterpret_cast<RegisteredCallbackFn>(os::FindExport(binding.module, "FakeRegisteredCallback"));
  return get != nullptr ? get() : nullptr;
}

class EcLibraryLoading : public LoadingTest {};

TEST_F(EcLibraryLoading, ResCopyBindsEveryNameRegistersTheCallbackAndIsKept) {
  Carry(kEcResource, FAKE_BRANTEL);
  Place(FAKE_BRANTEL, "res/Brantel.dll");
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadEcLibrary(binding, kName));
  EXPECT_EQ(binding.path, Cwd() / "res" / "Brantel.dll");
  EXPECT_EQ(binding.keepFile, 1u);
  EXPECT_NE(hw::EcLibrary().LoadECDriver, nullptr);
  EXPECT_NE(hw::EcLibrary().UNMAPPHYSADDR, nullptr);
  for (auto entry : hw::EcLibrary().unused) EXPECT_NE(entry, nullptr);
  EXPECT_EQ(RegisteredCallback(binding), &hw::EcBufferResize);
  EXPECT_THAT(PrivateFiles(), IsEmpty());

  hw::UnloadLibrary(binding);
  EXPECT_EQ(hw::EcLibrary().LoadECDriver, nullptr);
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "res" / "Brantel.dll"));
}

TEST_F(EcLibraryLoading, WrittenCopyExistsWhileLoadedAndIsDeletedAtUnload) {
  Carry(kEcResource, FAKE_BRANTEL);
  hw::LibraryBinding binding;
  ASSERT_TRUE(hw::LoadEcLibrary(binding, kName));
  EXPECT_EQ(binding.path, os::PrivateRunDirectory() / kName);
  EXPECT_EQ(binding.keepFile, 0u);
  EXPECT_THAT(PrivateFiles(), ::testing::ElementsAre(kName));
  EXPECT_EQ(RegisteredCallback(binding), &hw::EcBufferResize);
  hw::UnloadLibrary(binding);
  EXPECT_THAT(PrivateFiles(), IsEmpty());
}

TEST_F(EcLibraryLoading, LibraryMissingOneNameIsNotLoadedAnywhere) {
  Place(FAKE_BRANTEL_INCOMPLETE, "res/Brantel.dll");
  Carry(kEcResource, FAKE_BRANTEL_INCOMPLETE);
  hw::LibraryBinding binding;
  EXPECT_FALSE(hw::LoadEcLibrary(binding, kName));
  EXPECT_EQ(binding.module, nullptr);
  EXPECT_EQ(hw::EcLibrary().LoadECDriver, nullptr);
  EXPECT_THAT(PrivateFiles(), IsEmpty());  // the copy that did not load is gone already
  EXPECT_TRUE(std::filesystem::exists(Cwd() / "res" / "Brantel.dll"));
}

TEST_F(EcLibraryLoading, ACopyThisRunWroteIsReplacedOnRewrite) {
  Carry(kEcResource, FAKE_BRANTEL);
  const auto path = hw::TempFolderPath(kName);
  ASSERT_TRUE(hw::WriteResourceToFile(path, kEcResource, "DLL"));
  ASSERT_TRUE(hw::WriteResourceToFile(path, kEcResource, "DLL"));
  EXPECT_EQ(ReadFile(path), ReadFile(FAKE_BRANTEL));
  EXPECT_FALSE(hw::WriteResourceToFile(path, 999, "DLL"));      // missing resource
  EXPECT_FALSE(hw::WriteResourceToFile("", kEcResource, "DLL"));  // empty path
  EXPECT_FALSE(hw::WriteResourceToFile(path, kEcResource, "BMP"));
}

TEST(FolderPaths, EmptyNameGivesTheFolderAlone) {
  testing_support::TempFolder folder;
  testing_support::TempFolder tmp;
  testing_support::ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  os::RemovePrivateRunDirectory();
  const auto cwd = std::filesystem::canonical(folder.path());
  testing_support::ScopedChdir in(cwd);
  EXPECT_EQ(hw::ResFolderPath(""), cwd / "res");
  EXPECT_EQ(hw::CurrentFolderPath(""), cwd);
  EXPECT_EQ(hw::TempFolderPath(""), os::PrivateRunDirectory());
  EXPECT_EQ(hw::ResFolderPath("Brantel.dll"), cwd / "res" / "Brantel.dll");
  os::RemovePrivateRunDirectory();
}

}  // namespace
}  // namespace loading_test
