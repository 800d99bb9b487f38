// The hot-key ACPI device's object as the object-creation service hands it out.
#include "vnb_test_support.h"

#include "hw/hotkey_device_abi.h"
#include "vnb/com/hotkey_device.h"
#include "vnb/machine/ec_map.h"

#include <cstring>

namespace vnbtest {
namespace {

class HotKeyDevice : public VnbTest {
 protected:
  void SetUp() override { UseProfile("window-com"); }
  const os::ObjectProvider& provider = *vnb::HotKeyDeviceProvider();
};

TEST_F(HotKeyDevice, ExecutesTheExchangeBufferAsTheWmiMethodDoes) {
  ASSERT_EQ(provider.initialize(), os::kOk);
  void* object = nullptr;
  ASSERT_EQ(provider.create(hw::kHotKeyDeviceClassId, hw::kHotKeyDeviceInterfaceId, &object), os::kOk);
  auto* device = static_cast<hw::IHotKeyAcpiDevice*>(object);

  std::uint8_t buffer[48] = {48, 0, 2, 0, 48, 0, 0, 0, 1, 9, 0x16, 0x0F};
  std::uint32_t result = 0;
  ASSERT_EQ(device->ExecuteAcpiBuffer(buffer, &result), os::kOk);
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(buffer[12] | buffer[13] << 8, ReadEcWord(vnb::ec::MapOf(1).remaining));

  std::uint8_t block[48] = {48, 0, 2, 0, 48, 0, 0, 0, 1, 11, 0x16, 0x22};
  ASSERT_EQ(device->ExecuteAcpiBuffer(block, &result), os::kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 16), 4), "PGD1");

  void* again = nullptr;
  EXPECT_EQ(device->QueryInterface(hw::kHotKeyDeviceInterfaceId, &again), os::kOk);
  EXPECT_EQ(again, object);
  EXPECT_EQ(device->QueryInterface(hw::kHotKeyDeviceClassId, &again), os::kNoInterface);
  EXPECT_EQ(device->Release(), 1u);
  std::uint32_t information = 0;
  EXPECT_EQ(device->GetDeviceInformation(&information), os::kOk);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(HotKeyDevice, OnlyTheComProfileServesTheClass) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(provider.create(hw::kHotKeyDeviceInterfaceId, hw::kHotKeyDeviceInterfaceId, &object),
            os::kClassNotRegistered);
  EXPECT_EQ(object, nullptr);
  for (const char* profile : {"window-wmi", "window-noacpi", "mailbox"}) {
    UseProfile(profile);
    EXPECT_EQ(provider.create(hw::kHotKeyDeviceClassId, hw::kHotKeyDeviceInterfaceId, &object),
              os::kClassNotRegistered)
        << profile;
  }
}

TEST_F(HotKeyDevice, InitialisationFailsWhileTheFaultIsOn) {
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kComInitFail, true));
  EXPECT_EQ(provider.initialize(), os::kFail);
  ASSERT_TRUE(TheMachine().SetFault(vnb::Fault::kComInitFail, false));
  EXPECT_EQ(provider.initialize(), os::kOk);
}

}  // namespace
}  // namespace vnbtest
