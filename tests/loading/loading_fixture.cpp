#include "tests/loading/loading_fixture.h"

#include "hw/acpi_library.h"
#include "hw/bridge_library.h"
#include "hw/ec_library.h"
#include "hw/library_binding.h"
#include "os/folders.h"

#include <dlfcn.h>

#include <fstream>
#include <iterator>
#include <map>

namespace loading_test {

namespace {

std::map<int, std::vector<std::uint8_t>>& Carried() {
  static std::map<int, std::vector<std::uint8_t>> carried;
  return carried;
}

std::span<const std::uint8_t> FindCarried(int id, std::string_view type) {
  if (type != "DLL") return {};
  const auto it = Carried().find(id);
  if (it == Carried().end()) return {};
  return it->second;
}

}  // namespace

void LoadingTest::SetUp() {
  cwd_ = std::filesystem::canonical(cwdFolder_.path());
  tmp_ = std::filesystem::canonical(tmpFolder_.path());
  chdir_ = std::make_unique<testing_support::ScopedChdir>(cwd_);
  tmpdir_ = std::make_unique<testing_support::ScopedEnv>("TMPDIR", tmp_.c_str());
  os::RemovePrivateRunDirectory();
  Carried().clear();
  hw::SetResourceFinder(FindCarried);
}

void LoadingTest::TearDown() {
  hw::UnloadAcpiLibrary();
  os::RemovePrivateRunDirectory();
  hw::SetResourceFinder(nullptr);
  Carried().clear();
  hw::ClearBridgeLibrary();
  hw::ClearEcLibrary();
  hw::ClearAcpiLibrary();
  // A runtime left loaded would let later tests' copies find it: every test must release it.
  void* runtime = dlopen("msvcr100.dll", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(runtime, nullptr) << "msvcr100.dll is still loaded";
  if (runtime != nullptr) dlclose(runtime);
  tmpdir_.reset();
  chdir_.reset();
}

void LoadingTest::Carry(int id, const std::filesystem::path& libraryFile) {
  const std::string bytes = ReadFile(libraryFile);
  ASSERT_FALSE(bytes.empty()) << libraryFile;
  Carried()[id] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void LoadingTest::Place(const std::filesystem::path& libraryFile, const std::filesystem::path& relative) const {
  const auto target = cwd_ / relative;
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::copy_file(libraryFile, target, std::filesystem::copy_options::overwrite_existing);
}

std::vector<std::string> LoadingTest::PrivateFiles() {
  std::vector<std::string> names;
  // Look without creating it: list every packwatch-* folder under TMPDIR.
  for (const auto& folder : std::filesystem::directory_iterator(os::TemporaryFilesDirectory())) {
    if (folder.path().filename().string().rfind("packwatch-", 0) != 0) continue;
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
      names.push_back(file.path().filename().string());
    }
  }
  return names;
}

std::string LoadingTest::ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace loading_test
