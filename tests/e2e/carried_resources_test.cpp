// The program carries exactly the libraries of this build: the embedded bytes are the built
// files, so a rebuilt library can never leave stale bytes behind in the program.
#include "resources/resource_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadBuilt(const char* fileName) {
  std::ifstream in(std::string(PACKWATCH_BIN_DIR) + "/" + fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CarriedResources, EachIdHoldsTheBuiltLibrary) {
  const std::pair<int, const char*> carried[] = {
      {150, "TesselDll.dll"}, {129, "Brantel.dll"}, {131, "msvcr100.dll"}, {133, "Sorrel.dll"}};
  for (const auto& [id, fileName] : carried) {
    const auto bytes = resources::FindResource(id, "DLL");
    const std::string built = ReadBuilt(fileName);
    ASSERT_FALSE(built.empty()) << fileName;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), built) << id;
    EXPECT_EQ(resources::FindResource(id, "dll").size(), bytes.size()) << "type compared without case";
  }
}

TEST(CarriedResources, UnknownIdOrTypeIsMissing) {
  EXPECT_TRUE(resources::FindResource(151, "DLL").empty());
  EXPECT_TRUE(resources::FindResource(150, "BITMAP").empty());
  EXPECT_TRUE(resources::FindResource(150, "").empty());
}

}  // namespace
