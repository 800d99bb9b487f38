// Sorrel.dll and its C runtime as the program loads them, and the WMI method "KWPB" over the
// firmware's ACPI exchange buffer.
#include "vnb_test_support.h"

#include "vnb/machine/ec_map.h"
#include "vnb/machine/machine_state.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace vnbtest {
namespace {

using SorrelContract = VnbTest;

TEST_F(SorrelContract, ExportsTheTenNames) {
  Library library(BinPath("Sorrel.dll"));
  ASSERT_TRUE(library.loaded()) << library.error();
  for (const char* name : {"GetZYLACPIDeviceTypeEx", "InitializeZYLACPIDeviceEx", "One_WMIMethod_INTEx"}) {
    EXPECT_NE(library.Symbol(name), nullptr) << name;
  }
#define VNB_CHECK_UNUSED(name)                                     \
  {                                                                \
    auto fn = reinterpret_cast<AcpiUnusedFn>(library.Symbol(#name)); \
    ASSERT_NE(fn, nullptr) << #name;                               \
    EXPECT_EQ(fn(), 0u) << #name;                                  \
  }
  PACKWATCH_ACPI_UNUSED_EXPORTS(VNB_CHECK_UNUSED)
#undef VNB_CHECK_UNUSED
}

TEST_F(SorrelContract, LoadsOnlyWithItsRuntimeBesideIt) {
  char pattern[] = "/tmp/vnb-sorrel-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  ASSERT_EQ(std::system(("cp " + BinPath("Sorrel.dll") + " " + dir + "/").c_str()), 0);
  {
    Library alone(dir + "/Sorrel.dll");
    EXPECT_FALSE(alone.loaded());
    EXPECT_NE(alone.error().find("msvcr100.dll"), std::string::npos) << alone.error();
  }
  ASSERT_EQ(std::system(("cp " + BinPath("msvcr100.dll") + " " + dir + "/").c_str()), 0);
  {
    Library paired(dir + "/Sorrel.dll");
    EXPECT_TRUE(paired.loaded()) << paired.error();
  }
  std::system(("rm -rf " + dir).c_str());
}

struct DeviceCase {
  const char* profile;
  std::uint32_t type;
  std::uint32_t initialised;
};

class AcpiDevices : public VnbTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(AcpiDevices, DeviceTypeAndInitialisationFollowTheProfile) {
  UseProfile(GetParam().profile);
  EXPECT_EQ(Sorrel().GetZYLACPIDeviceTypeEx(), GetParam().type);
  EXPECT_EQ(Sorrel().InitializeZYLACPIDeviceEx(0) != 0, GetParam().initialised != 0);
}

INSTANTIATE_TEST_SUITE_P(Profiles, AcpiDevices,
                         ::testing::Values(DeviceCase{"window-wmi", 2, 1}, DeviceCase{"window-com", 1, 1},
                                           DeviceCase{"window-noacpi", 0, 0}, DeviceCase{"alt-kl", 2, 1}),
                         ByProfile());

std::uint8_t* MapAcpiBuffer(std::uint32_t address) {
  EcMapBlock block{address, 0, 0, 0, 256};
  Brantel().MAPPHYSTOLIN(&block);
  return static_cast<std::uint8_t*>(EcMapBlockLinear(block));
}

void Request(std::uint8_t* buffer, std::uint8_t selector, std::uint8_t protocol, std::uint8_t command) {
  std::memset(buffer, 0, 48);
  buffer[0] = 48;
  buffer[2] = 2;
  buffer[4] = 48;
  buffer[8] = selector;
  buffer[9] = protocol;
  buffer[10] = 0x16;
  buffer[11] = command;
}

TEST_F(SorrelContract, WmiMethodExecutesTheExchangeBufferLikeTheEc) {
  std::uint32_t address = 0;
  ASSERT_EQ(Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, 0, &address), 1u);
  ASSERT_NE(address, 0u);
  std::uint8_t* buffer = MapAcpiBuffer(address);
  ASSERT_NE(buffer, nullptr);
  const vnb::ec::BatteryMap& second = vnb::ec::MapOf(1);

  Request(buffer, 1, 9, 0x0D);
  std::uint32_t result = address;
  EXPECT_EQ(Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result), 1u);
  EXPECT_EQ(result, address);
  EXPECT_EQ(buffer[13] << 8 | buffer[12], ReadEcWord(second.rsoc));

  Request(buffer, 1, 9, 0x17);  // cycle count: mirrored for battery 2 in the first layout
  Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result);
  EXPECT_EQ(buffer[13] << 8 | buffer[12], ReadEcWord(second.cycleCount));

  Request(buffer, 1, 7, 0x0C);
  Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result);
  EXPECT_GE(buffer[12], 1);
  EXPECT_EQ(buffer[13], 0);

  Request(buffer, 1, 11, 0x21);
  Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 16), 7), "VX4S28B");
  Request(buffer, 0, 11, 0x22);
  Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 16), 4), "LTS0");

  // A request the battery cannot answer leaves cleared result bytes.
  Request(buffer, 3, 9, 0x0D);
  buffer[12] = 0x77;
  Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, address, &result);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(buffer[12], 0);
}

TEST_F(SorrelContract, WmiMethodRefusesOtherNamesAddressesAndDevices) {
  std::uint32_t result = 0;
  EXPECT_EQ(Sorrel().One_WMIMethod_INTEx(0x41424344, 0, &result), 0u);
  EXPECT_EQ(Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, 0x1234, &result), 0u);
  UseProfile("window-com");
  EXPECT_EQ(Sorrel().One_WMIMethod_INTEx(kWmiMethodKwpb, 0, &result), 0u);
}

}  // namespace
}  // namespace vnbtest
