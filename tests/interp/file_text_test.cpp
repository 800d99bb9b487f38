#include "interp/file_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace interp {
namespace {

TEST(FileTextTest, Latin1BothWaysAndQuestionMarkAboveFF) {
  const std::string bytes("A\xE9\xFF\x01", 4);
  const std::wstring wide = WidenLatin1(bytes);
  EXPECT_EQ(wide, std::wstring(L"A\u00E9\u00FF\u0001"));
  EXPECT_EQ(NarrowLatin1(wide), bytes);
  EXPECT_EQ(NarrowLatin1(L"x\u0100y\u20ACz"), "x?y?z");
}

TEST(FileTextTest, EveryLineFeedBecomesCrLf) {
  EXPECT_EQ(EncodeFileText(L"a\nb\n\nc"), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(EncodeFileText(L"\n"), "\r\n");
  EXPECT_EQ(EncodeFileText(L"no end"), "no end");
  EXPECT_EQ(EncodeFileText(L"100 %\u00B0\u0263"), "100 %\xB0?");
}

TEST(FileTextTest, DefaultNamesLandInTheGivenFolder) {
  const std::filesystem::path folder = "/home/tester";
  EXPECT_EQ(ResolveDefaultFileName(L"C:\\Packwatch.log", folder), folder / "Packwatch.log");
  EXPECT_EQ(ResolveDefaultFileName(L"c:\\Packwatch.bmp", folder), folder / "Packwatch.bmp");
  EXPECT_EQ(ResolveDefaultFileName(L"Battery_NA0000_03150930.log", folder),
            folder / "Battery_NA0000_03150930.log");
  EXPECT_EQ(ResolveDefaultFileName(L"C:\\Battery_\u00E9.log", folder),
            folder / "Battery_\xC3\xA9.log");
}

TEST(FileTextTest, WithoutAFolderTheHomeDirectoryIsUsed) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') GTEST_SKIP() << "HOME is not an absolute path";
  EXPECT_EQ(ResolveDefaultFileName(L"C:\\Packwatch.log"),
            std::filesystem::path(home) / "Packwatch.log");
}

}  // namespace
}  // namespace interp
