// The resource-hub operations as the bridge library's transport uses them: the system build,
// the connection table with descriptors in both layouts, and the SPB exchange with the EC.
#include "vnb_test_support.h"

#include "vnb/hub/hub_ops.h"
#include "vnb/machine/ec_map.h"
#include "vnb/machine/pack_model.h"

#include <cstdio>
#include <cstring>

namespace vnbtest {
namespace {

struct Connection {
  std::uint32_t id;
  std::uint16_t address;
  std::string path;
};

std::uint32_t Build() {
  HubOsVersionInfo info{};
  info.size = sizeof info;
  EXPECT_NE(HubGetVersionEx(&info), 0);
  return info.buildNumber;
}

// The transport's enumeration, reading each answer in the layout of the build.
std::vector<Connection> Enumerate() {
  const bool newLayout = Build() > 8148;
  const HubHandle hub = HubCreateFileA("\\\\.\\RESOURCE_HUB", kHubGenericRead | kHubGenericWrite, 0,
                                       kHubOpenExisting, 0);
  EXPECT_NE(hub, kHubInvalidHandle);
  std::vector<Connection> found;
  for (std::uint32_t id = 0; id < 130; ++id) {
    std::uint8_t in[16] = {};
    std::memcpy(in + 8, &id, 4);
    std::uint8_t out[1036];
    std::uint32_t returned = 0;
    if (HubDeviceIoControl(hub, kIoctlHubQueryConnectionProperties, in, 16, out, sizeof out, &returned) != 1) {
      EXPECT_EQ(HubGetLastError(), kHubErrorFileNotFound);
      continue;
    }
    if (out[8] != 0x8E) continue;
    std::uint16_t length = 0, address = 0;
    if (newLayout) {
      if (out[13] != 1) continue;
      length = static_cast<std::uint16_t>(out[18] | out[19] << 8);
      address = static_cast<std::uint16_t>(out[24] | out[25] << 8);
    } else {
      if (out[12] != 1 || out[15] != 0) continue;
      length = static_cast<std::uint16_t>(out[17] | out[18] << 8);
      address = static_cast<std::uint16_t>(out[23] | out[24] << 8);
    }
    EXPECT_LT(20u + length, returned);
    found.push_back({id, address, std::string(reinterpret_cast<char*>(out + 20 + length))});
  }
  EXPECT_EQ(HubCloseHandle(hub), 1);
  return found;
}

const Connection* FindEc(const std::vector<Connection>& table, const std::string& path) {
  for (const Connection& c : table) {
    if (c.address == 0x66 && c.path == path) return &c;
  }
  return nullptr;
}

// The id of the I2C connection at 0x66 on `path`; 0xFFFFFFFF (never a connection) when missing.
std::uint32_t ConnectionIdOf(const std::string& path) {
  const std::vector<Connection> table = Enumerate();
  const Connection* c = FindEc(table, path);
  if (c == nullptr) ADD_FAILURE() << "no connection at 0x66 on " << path;
  return c ? c->id : 0xFFFFFFFFu;
}

HubHandle OpenConnection(std::uint32_t id) {
  char name[64];
  std::snprintf(name, sizeof name, "\\\\.\\RESOURCE_HUB\\00000000%08x", id);
  return HubCreateFileA(name, kHubGenericRead | kHubGenericWrite, kHubShareRead | kHubShareWrite,
                        kHubOpenExisting, kHubAttributeNormal);
}

// The 64-bit transfer list: one write, then a read when readLength is not 0.
std::vector<std::uint8_t> TransferList(const std::uint8_t* write, std::uint32_t writeLength, std::uint8_t* read,
                                       std::uint32_t readLength) {
  std::vector<std::uint8_t> list(80, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&list[at], &v, 4); };
  auto put64 = [&](std::size_t at, const void* p) {
    const auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
    std::memcpy(&list[at], &v, 8);
  };
  put32(0, 48);
  put32(8, readLength ? 2 : 1);
  put32(16, 2);
  put32(24, 1);
  put64(32, write);
  put32(40, writeLength);
  if (readLength) {
    put32(48, 1);
    put32(56, 1);
    put64(64, read);
    put32(72, readLength);
  }
  return list;
}

bool Exchange(HubHandle connection, std::vector<std::uint8_t> frame, std::uint8_t* reply, std::uint32_t replyLength) {
  std::vector<std::uint8_t> list =
      TransferList(frame.data(), static_cast<std::uint32_t>(frame.size()), reply, replyLength);
  std::uint32_t returned = 0;
  return HubDeviceIoControl(connection, kIoctlSpbExecuteSequence, list.data(), 80, nullptr, 0, &returned) == 1;
}

class Hub : public VnbTest {
 protected:
  void SetUp() override { UseProfile("i2c"); }
};

struct HubCase {
  const char* profile;
  const char* ecPath;  // null: the EC is not on I2C
  bool oldLayout;
};

class HubProfiles : public VnbTest, public ::testing::WithParamInterface<HubCase> {};

TEST_P(HubProfiles, ConnectionTableCarriesTheEcWhereTheProfilePutsIt) {
  const HubCase& c = GetParam();
  UseProfile(c.profile);
  EXPECT_EQ(Build() <= 8148, c.oldLayout);
  const std::vector<Connection> table = Enumerate();
  // Unrelated I2C devices are always there: a touchpad on the first controller, a device at
  // 0x66 on another one; SPI, UART and GPIO connections are not listed as I2C.
  EXPECT_GE(table.size(), 3u);
  EXPECT_NE(FindEc(table, "\\_SB.PCI0.I2C3"), nullptr);
  for (const char* path : {"\\_SB.I2C1", "\\_SB.PCI0.I2C1"}) {
    const bool expected = c.ecPath != nullptr && std::string(c.ecPath) == path;
    EXPECT_EQ(FindEc(table, path) != nullptr, expected) << path;
  }
  for (const Connection& e : table) EXPECT_LE(e.id, 127u);
}

INSTANTIATE_TEST_SUITE_P(Profiles, HubProfiles,
                         ::testing::Values(HubCase{"i2c", "\\_SB.I2C1", false},
                                           HubCase{"i2c-pci", "\\_SB.PCI0.I2C1", true},
                                           HubCase{"window-wmi", nullptr, false},
                                           HubCase{"mailbox", nullptr, false}),
                         ByProfile());

TEST_F(Hub, ExchangesTheEcFramesOverTheEcConnection) {
  const HubHandle connection = OpenConnection(ConnectionIdOf("\\_SB.I2C1"));
  ASSERT_NE(connection, kHubInvalidHandle);

  std::uint8_t version[8] = {};
  ASSERT_TRUE(Exchange(connection, {0xEC}, version, 8));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(version), 8), "NVAP2108");

  std::uint8_t byte = 0;
  ASSERT_TRUE(Exchange(connection, {0xD0, 0x08, 0x00, 0x20}, &byte, 1));
  EXPECT_EQ(byte, 0x85);
  ASSERT_TRUE(Exchange(connection, {0xD0, 0x09, 0x40, 0x07, 0x6E}, nullptr, 0));
  ASSERT_TRUE(Exchange(connection, {0xD0, 0x08, 0x40, 0x07}, &byte, 1));
  EXPECT_EQ(byte, 0x6E);
  EXPECT_EQ(ReadEc(0x0740), 0x6E);

  std::uint8_t block[62] = {};
  ASSERT_TRUE(Exchange(connection, {0x81}, block, 62));
  auto w = [&](int i) { return static_cast<std::uint16_t>(block[2 * i] | block[2 * i + 1] << 8); };
  const vnb::ec::BatteryMap& first = vnb::ec::MapOf(0);
  EXPECT_EQ(w(0), ReadEcWord(first.status));
  EXPECT_EQ(w(4), ReadEcWord(first.voltage));
  EXPECT_EQ(w(8), ReadEcWord(first.remaining));
  EXPECT_EQ(w(9), ReadEcWord(first.fullCharge));
  EXPECT_EQ(w(10), ReadEcWord(first.current));
  EXPECT_EQ(w(3), (ReadEcWord(first.temperature) - 2731 + 5) / 10);
  EXPECT_EQ(w(21), 57);
  EXPECT_EQ(w(28), 4400);
  EXPECT_EQ(w(29), ReadEcWord(first.chargingCurrent));
  EXPECT_EQ(w(30), ReadEcWord(first.chargingVoltage));
  EXPECT_EQ((w(23) >> 6) & 0xFF, 2);  // adapter
  EXPECT_EQ((w(23) >> 4) & 3, 1);     // constant-current charging
  EXPECT_EQ(HubCloseHandle(connection), 1);
  EXPECT_EQ(HubCloseHandle(connection), 0);
  EXPECT_EQ(HubGetLastError(), kHubErrorInvalidHandle);
}

TEST_F(Hub, AcFieldTellsUsbCFromAdapterAndAbsence) {
  UseProfile("i2c-pci");
  const HubHandle connection = OpenConnection(ConnectionIdOf("\\_SB.PCI0.I2C1"));
  std::uint8_t block[62] = {};
  ASSERT_TRUE(Exchange(connection, {0x81}, block, 62));
  EXPECT_EQ((block[46] | block[47] << 8) >> 6 & 0xFF, 1);
  ASSERT_TRUE(TheMachine().SetAc(false));
  ASSERT_TRUE(Exchange(connection, {0x81}, block, 62));
  EXPECT_EQ((block[46] | block[47] << 8) >> 6 & 0xFF, 0);
  EXPECT_EQ((block[46] | block[47] << 8) >> 4 & 3, 0);
  HubCloseHandle(connection);
}

TEST_F(Hub, FailuresCarryTheirErrorCodes) {
  const HubHandle ec = OpenConnection(ConnectionIdOf("\\_SB.I2C1"));
  std::uint8_t reply[8];

  // A malformed transfer list.
  std::uint8_t frame = 0xEC;
  std::vector<std::uint8_t> list = TransferList(&frame, 1, reply, 8);
  list[0] = 32;  // the 32-bit layout in a 64-bit process
  std::uint32_t returned = 0;
  EXPECT_EQ(HubDeviceIoControl(ec, kIoctlSpbExecuteSequence, list.data(), 80, nullptr, 0, &returned), 0);
  EXPECT_EQ(HubGetLastError(), kHubErrorInvalidParameter);
  list = TransferList(&frame, 1, reply, 8);
  list[48] = 2;  // second transfer writing
  EXPECT_EQ(HubDeviceIoControl(ec, kIoctlSpbExecuteSequence, list.data(), 80, nullptr, 0, &returned), 0);

  // Frames the EC does not know, and a device that is not the EC.
  EXPECT_FALSE(Exchange(ec, {0x42}, reply, 1));
  EXPECT_EQ(HubGetLastError(), kHubErrorIoDevice);
  const HubHandle codec = OpenConnection(ConnectionIdOf("\\_SB.PCI0.I2C3"));
  ASSERT_NE(codec, kHubInvalidHandle);
  EXPECT_FALSE(Exchange(codec, {0xEC}, reply, 8));

  // No battery, no block.
  ASSERT_TRUE(TheMachine().SetBattery(0, false, nullptr));
  EXPECT_FALSE(Exchange(ec, {0x81}, reply, 8));
  ASSERT_TRUE(TheMachine().SetBattery(0, true, nullptr));

  // Names: unknown ids, upper-case digits and a wrong disposition are not found.
  EXPECT_EQ(OpenConnection(0x7F), kHubInvalidHandle);
  EXPECT_EQ(HubGetLastError(), kHubErrorFileNotFound);
  EXPECT_EQ(HubCreateFileA("\\\\.\\RESOURCE_HUB\\000000000000001F", 0, 0, kHubOpenExisting, 0), kHubInvalidHandle);
  EXPECT_EQ(HubCreateFileA("\\\\.\\RESOURCE_HUB", 0, 0, 2, 0), kHubInvalidHandle);
  HubCloseHandle(ec);
  HubCloseHandle(codec);
}

TEST_F(Hub, I2cFaultFailsEveryExchangeWithATimeout) {
  const HubHandle ec = OpenConnection(ConnectionIdOf("\\_SB.I2C1"));
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kI2cFail, true));
  std::uint8_t version[8];
  EXPECT_FALSE(Exchange(ec, {0xEC}, version, 8));
  EXPECT_EQ(HubGetLastError(), kHubErrorSemTimeout);
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kI2cFail, false));
  EXPECT_TRUE(Exchange(ec, {0xEC}, version, 8));
  HubCloseHandle(ec);
}

TEST(HubProcess, ReportsA64BitProcess) {
  HubIsWow64ProcessFn isWow64 = HubLookupIsWow64Process();
  ASSERT_NE(isWow64, nullptr);
  int answer = 7;
  EXPECT_NE(isWow64(HubGetCurrentProcess(), &answer), 0);
  EXPECT_EQ(answer, 0);
}

}  // namespace
}  // namespace vnbtest
