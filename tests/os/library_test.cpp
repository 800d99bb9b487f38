#include "os/library.h"

#include "tests/os/scoped_folders.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ScopedChdir;

TEST(Library, LoadsByAbsolutePathAndBindsByName) {
  os::LibraryHandle library = os::LoadLibraryAt(OS_TEST_LIBRARY);
  ASSERT_NE(library, nullptr);
  auto answer = reinterpret_cast<int (*)()>(os::LookupExport(library, "OsTestAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(os::FindExport(library, "OsTestMissing"), nullptr);
  os::FreeLibrary(library);
}

TEST(Library, RefusesRelativeAndEmptyPaths) {
  const std::filesystem::path full(OS_TEST_LIBRARY);
  ScopedChdir inLibraryFolder(full.parent_path());
  // The file is right here, but a relative name would be looked up along the loader's path.
  EXPECT_EQ(os::LoadLibraryAt(full.filename()), nullptr);
  EXPECT_EQ(os::LoadLibraryAt(""), nullptr);
}

TEST(Library, UnresolvedSymbolFailsTheLoadItself) {
  EXPECT_EQ(os::LoadLibraryAt(OS_TEST_UNRESOLVED), nullptr);
}

TEST(Library, NullHandlesAreHarmless) {
  EXPECT_EQ(os::FindExport(nullptr, "OsTestAnswer"), nullptr);
  os::FreeLibrary(nullptr);
}

}  // namespace
