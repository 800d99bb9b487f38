#include "hw/acpi_library.h"
#include "hw/ec_library.h"
#include "hw/hotkey_device_abi.h"
#include "hw/zyl_0100.h"
#include "hw/zyl_wmi.h"
#include "hw/zyl_wrapper_factory.h"
#include "os/object_service.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// --- CZyl0100 over a hot-key device served by a test provider --------------------------------

class FakeHotKeyDevice : public hw::IHotKeyAcpiDevice {
 public:
  os::HResult QueryInterface(const os::Guid&, void**) override { return os::kNoInterface; }
  std::uint32_t AddRef() override { return ++references; }
  std::uint32_t Release() override { return --references; }
  os::HResult GetDeviceInformation(std::uint32_t*) override { return os::kFail; }
  os::HResult ExecuteAcpiBuffer(std::uint8_t* buffer, std::uint32_t* result) override {
    std::memcpy(seen.data(), buffer, seen.size());
    buffer[12] = 0x34;  // the word result, low byte first
    buffer[13] = 0x12;
    *result = 0x5A;
    return os::kOk;
  }
  int references = 0;
  std::array<std::uint8_t, hw::kAcpiBufferSize> seen{};
};

FakeHotKeyDevice g_device;
bool g_refuseInitialize = false;
bool g_refuseCreate = false;

os::HResult FakeInitialize() { return g_refuseInitialize ? os::kFail : os::kOk; }
os::HResult FakeCreate(const os::Guid& clsid, const os::Guid& iid, void** object) {
  if (g_refuseCreate || !(clsid == hw::kHotKeyDeviceClassId)) return os::kClassNotRegistered;
  if (!(iid == hw::kHotKeyDeviceInterfaceId)) return os::kNoInterface;
  g_device.AddRef();
  *object = static_cast<hw::IHotKeyAcpiDevice*>(&g_device);
  return os::kOk;
}
const os::ObjectProvider kProvider{FakeInitialize, FakeCreate};

class Zyl0100 : public ::testing::Test {
 protected:
  void SetUp() override {
    g_device = FakeHotKeyDevice{};
    g_refuseInitialize = false;
    g_refuseCreate = false;
    os::SetObjectProvider(&kProvider);
  }
  void TearDown() override { os::SetObjectProvider(nullptr); }
};

TEST_F(Zyl0100, ExecutesTheRequestThroughTheDeviceAndReleasesIt) {
  auto wrapper = hw::CreateZylWrapper(1);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->SmbusReadWord(0x01, 0x17), 0x1234);
  const std::array<std::uint8_t, 12> request = {48, 0, 2, 0, 48, 0, 0, 0, 0x01, 9, 0x16, 0x17};
  EXPECT_TRUE(std::equal(request.begin(), request.end(), g_device.seen.begin()));
  EXPECT_EQ(wrapper->Execute(), 0x5Au);
  EXPECT_EQ(g_device.references, 0);  // every object made for a call is released after it
}

// A device that fills every result byte with its offset, so each read shows where it took from.
class PatternDevice : public FakeHotKeyDevice {
 public:
  os::HResult ExecuteAcpiBuffer(std::uint8_t* buffer, std::uint32_t* result) override {
    std::memcpy(seen.data(), buffer, seen.size());
    for (std::size_t i = 12; i < hw::kAcpiBufferSize; ++i) buffer[i] = static_cast<std::uint8_t>(i);
    *result = 1;
    return os::kOk;
  }
};
PatternDevice g_patternDevice;

os::HResult PatternCreate(const os::Guid&, const os::Guid&, void** object) {
  *object = static_cast<hw::IHotKeyAcpiDevice*>(&g_patternDevice);
  return os::kOk;
}
const os::ObjectProvider kPatternProvider{FakeInitialize, PatternCreate};

TEST_F(Zyl0100, ByteAndBlockReadsSendTheirProtocolAndTakeTheirOffsets) {
  os::SetObjectProvider(&kPatternProvider);
  auto wrapper = hw::CreateZylWrapper(1);
  EXPECT_EQ(wrapper->SmbusReadByte(0x02, 0x0F), 12);
  EXPECT_EQ(g_patternDevice.seen[9], 7);
  EXPECT_EQ(g_patternDevice.seen[11], 0x0F);

  std::array<std::uint8_t, 8> block;
  block.fill(0xEE);
  wrapper->SmbusReadBlock(0x02, 0x20, block.data(), 7);
  EXPECT_EQ(g_patternDevice.seen[8], 0x02);
  EXPECT_EQ(g_patternDevice.seen[9], 11);
  EXPECT_EQ(g_patternDevice.seen[10], 0x16);
  EXPECT_EQ(block, (std::array<std::uint8_t, 8>{16, 17, 18, 19, 20, 21, 22, 0xEE}));  // offsets 16 to 22 only
}

TEST_F(Zyl0100, ObjectThatCannotBeCreatedGivesZeroAndTheClearedResult) {
  auto wrapper = hw::CreateZylWrapper(1);
  g_refuseCreate = true;
  EXPECT_EQ(wrapper->Execute(), 0u);
  EXPECT_EQ(wrapper->SmbusReadWord(0x01, 0x17), 0);
}

TEST_F(Zyl0100, RefusedInitialisationRaisesItsText) {
  g_refuseInitialize = true;
  try {
    hw::CreateZylWrapper(1);
    FAIL() << "no error raised";
  } catch (const hw::ZylWrapperError& error) {
    EXPECT_STREQ(error.what(), "CoInitialize fail");
  }
}

TEST_F(Zyl0100, DestructionBalancesTheThreadsInitialisation) {
  { auto wrapper = hw::CreateZylWrapper(1); }
  void* object = nullptr;
  EXPECT_EQ(os::CreateInstance(hw::kHotKeyDeviceClassId, hw::kHotKeyDeviceInterfaceId, &object),
            os::kNotInitialized);
}

TEST(ZylFactory, OtherDeviceTypesGiveNoWrapperAndNoError) {
  for (std::uint32_t type : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(hw::CreateZylWrapper(type), nullptr) << type;
}

// --- CZylWMI over a WMI method and a mapping call set into the tables -------------------------

std::array<std::uint8_t, 256> g_firmwareBuffer;
std::uint32_t g_firmwareAddress = 0;
std::vector<std::pair<std::uint32_t, std::uint32_t>> g_wmiCalls;  // argument, result passed in
int g_maps = 0;
int g_unmaps = 0;

extern "C" std::uint32_t FakeWmiMethod(std::uint32_t name, std::uint32_t argument, std::uint32_t* result) {
  if (name != kWmiMethodKwpb) return 0;
  g_wmiCalls.emplace_back(argument, *result);
  if (argument == 0) {
    *result = g_firmwareAddress;
  } else {
    g_firmwareBuffer[16] = 'O';
    g_firmwareBuffer[17] = 'K';
    *result = 1;
  }
  return 1;
}

extern "C" void FakeMap(EcMapBlock* block) {
  ++g_maps;
  if (block->physicalLow != g_firmwareAddress || block->length != 256) return;
  const auto linear = reinterpret_cast<std::uintptr_t>(g_firmwareBuffer.data());
  block->linearLow = static_cast<std::uint32_t>(linear);
  block->linearHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(linear) >> 32);
}

extern "C" void FakeUnmap(EcMapBlock* block) {
  if (EcMapBlockLinear(*block) == g_firmwareBuffer.data()) ++g_unmaps;
}

class ZylWmi : public ::testing::Test {
 protected:
  void SetUp() override {
    g_firmwareBuffer.fill(0xEE);
    g_firmwareAddress = 0xFED40000;
    g_wmiCalls.clear();
    g_maps = g_unmaps = 0;
    hw::AcpiLibrary().One_WMIMethod_INTEx = FakeWmiMethod;
    hw::EcLibrary().MAPPHYSTOLIN = FakeMap;
    hw::EcLibrary().UNMAPPHYSADDR = FakeUnmap;
  }
  void TearDown() override {
    hw::ClearAcpiLibrary();
    hw::ClearEcLibrary();
  }
};

TEST_F(ZylWmi, MapsTheFirmwareBufferAndRunsKwpbWithItsAddress) {
  {
    auto wrapper = hw::CreateZylWrapper(2);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->acpiBuffer, g_firmwareBuffer.data());
    std::array<std::uint8_t, 2> block{};
    wrapper->SmbusReadBlock(0x02, 0x20, block.data(), block.size());
    EXPECT_EQ(block, (std::array<std::uint8_t, 2>{'O', 'K'}));
    ASSERT_EQ(g_wmiCalls.size(), 2u);
    EXPECT_EQ(g_wmiCalls[0], std::make_pair(0u, 0u));  // the address query
    EXPECT_EQ(g_wmiCalls[1], std::make_pair(g_firmwareAddress, g_firmwareAddress));
    EXPECT_EQ(g_unmaps, 0);
  }
  EXPECT_EQ(g_unmaps, 1);
}

TEST_F(ZylWmi, NoBufferAddressMeansNoBufferNoMappingAndNoUnmapping) {
  g_firmwareAddress = 0;
  {
    auto wrapper = hw::CreateZylWrapper(2);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->acpiBuffer, nullptr);
    EXPECT_EQ(wrapper->SmbusReadByte(0x02, 0x0D), 0);
    EXPECT_EQ(g_maps, 0);
  }
  EXPECT_EQ(g_unmaps, 0);
}

TEST_F(ZylWmi, UnboundLibrariesRaiseTheNotLoadedText) {
  for (int missing = 0; missing < 2; ++missing) {
    SetUp();
    if (missing == 0) hw::ClearAcpiLibrary();
    if (missing == 1) hw::EcLibrary().MAPPHYSTOLIN = nullptr;
    try {
      hw::CreateZylWrapper(2);
      ADD_FAILURE() << "no error raised, case " << missing;
    } catch (const hw::ZylWrapperError& error) {
      EXPECT_STREQ(error.what(), "ZYL DLL is not loaded.");
    }
  }
}

}  // namespace
