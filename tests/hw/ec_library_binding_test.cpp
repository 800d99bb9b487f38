#include "hw/bridge_library.h"
#include "hw/ec_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

int dummy;

// A module that exports every name except those in `missing`.
struct FakeModule {
  std::string missing;
  static void* Lookup(void* context, const char* name) {
    auto* self = static_cast<FakeModule*>(context);
    return self->missing == name ? nullptr : &dummy;
  }
};

TEST(EcLibraryBinding, BindsEveryNameOrNothing) {
  FakeModule complete;
  ASSERT_TRUE(hw::BindEcLibrary(&FakeModule::Lookup, &complete));
  EXPECT_NE(hw::EcLibrary().ECMem3r, nullptr);
  EXPECT_NE(hw::EcLibrary().unused[56], nullptr);

  // A library that lacks any one name, called or not, counts as not loaded.
  for (const char* name : {"UNMAPPHYSADDR", "ToPcieCFG", "Ext3rdCmd"}) {
    FakeModule lacking{name};
    EXPECT_FALSE(hw::BindEcLibrary(&FakeModule::Lookup, &lacking)) << name;
    EXPECT_EQ(hw::EcLibrary().ECMem3r, nullptr) << name;
    EXPECT_EQ(hw::EcLibrary().unused[0], nullptr) << name;
  }
  EXPECT_EQ(hw::EcLibraryCalledNames().size() + hw::EcLibraryUnusedNames().size(), 69u);
}

TEST(BridgeLibraryBinding, BindsTheFiveNamesOrNothing) {
  FakeModule complete;
  ASSERT_TRUE(hw::BindBridgeLibrary(&FakeModule::Lookup, &complete));
  EXPECT_NE(hw::BridgeLibrary().ReleaseECRAM, nullptr);
  FakeModule lacking{"WriteECRAM"};
  EXPECT_FALSE(hw::BindBridgeLibrary(&FakeModule::Lookup, &lacking));
  EXPECT_EQ(hw::BridgeLibrary().ReadECRAM, nullptr);
}

TEST(EcBufferResize, GrowsWithFillerAndKeepsTheOldBytes) {
  EcBufferDescriptor descriptor{static_cast<std::uint8_t*>(std::malloc(2)), 2};
  descriptor.data[0] = 0x11;
  descriptor.data[1] = 0x22;
  hw::EcBufferResize(&descriptor, 5);
  ASSERT_EQ(descriptor.size, 5u);
  const std::uint8_t grown[] = {0x11, 0x22, 0xCD, 0xCD, 0xCD};
  EXPECT_EQ(std::memcmp(descriptor.data, grown, 5), 0);
  hw::EcBufferResize(&descriptor, 1);
  EXPECT_EQ(descriptor.size, 1u);
  EXPECT_EQ(descriptor.data[0], 0x11);
  std::free(descriptor.data);
}

}  // namespace
