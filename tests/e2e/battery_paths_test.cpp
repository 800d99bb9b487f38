// Every IBattery value through each backend equals what the virtual notebook's model holds.
#include "battery/battery_address_table.h"
#include "battery/battery_func_3th.h"
#include "battery/battery_gene_func.h"
#include "battery/battery_i2c_func.h"
#include "hw/acpi_library.h"
#include "hw/ec_basic_3th.h"
#include "hw/smi_mailbox.h"
#include "hw/zyl_wrapper_factory.h"
#include "os/object_service.h"
#include "tests/e2e/e2e_fixture.h"
#include "vnb/com/hotkey_device.h"
#include "vnb/machine/ec_map.h"
#include "vnb/machine/identity.h"
#include "vnb/machine/profiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace e2e {
namespace {

struct ModelView {
  vnb::BatterySlot slots[vnb::kBatterySlots];
  std::uint8_t powerState;  // the EC's power-state byte
  std::uint16_t s3d3[4];    // S3 voltage and current, D3 voltage and current
  bool acPlugged;
  vnb::AcSource acSource;
  std::uint16_t setPointOn[vnb::kBatterySlots];
  std::uint16_t setPointOff[vnb::kBatterySlots];
};

ModelView Observe(vnb::Machine& machine) {
  vnb::Session session(machine, vnb::HostRequest::kObserve);
  const vnb::MachineState& s = session.state();
  ModelView view{};
  for (std::size_t i = 0; i < vnb::kBatterySlots; ++i) {
    view.slots[i] = s.slots[i];
    view.setPointOn[i] = static_cast<std::uint16_t>(0xFFFF - vnb::SetPointWord(s, i, true));
    view.setPointOff[i] = static_cast<std::uint16_t>(0xFFFF - vnb::SetPointWord(s, i, false));
  }
  view.powerState = vnb::EcRamRead(s, vnb::LayoutAddress(s, vnb::ec::kPowerState));
  const bool second = vnb::IsSecondLayout(s);
  for (std::uint16_t i = 0; i < 4; ++i) {
    const auto lo = static_cast<std::uint16_t>((second ? 0xFA28 : vnb::ec::kS3Voltage) + 2 * i);
    view.s3d3[i] = static_cast<std::uint16_t>(vnb::EcRamRead(s, lo) | vnb::EcRamRead(s, static_cast<std::uint16_t>(lo + 1)) << 8);
  }
  view.acPlugged = s.config.acPlugged != 0;
  view.acSource = vnb::ProfileAt(s.config.profile).acSource;
  return view;
}

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (const char* p = text; *p != '\0'; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return wide;
}

float CelsiusOf(std::uint16_t deciKelvin) { return static_cast<float>((deciKelvin - 2731) / 10.0); }

// The values every EC-RAM, mailbox or ACPI backend reads from the pack.
void ExpectPackMatches(battery::IBattery& battery, std::uint8_t index, const ModelView& model) {
  SCOPED_TRACE("battery " + std::to_string(index + 1));
  const vnb::BatterySlot& slot = model.slots[index];
  const vnb::PackReadings& r = slot.readings;
  const vnb::PackIdentity& id = slot.identity;
  ASSERT_TRUE(slot.present);
  EXPECT_TRUE(battery.IsBatteryPresent(index));
  EXPECT_EQ(battery.IsCharging(index), (r.stateByte & 0x02) != 0);
  EXPECT_EQ(battery.GetBatteryMode(index), r.mode);
  EXPECT_NEAR(battery.GetTemperature(index), CelsiusOf(r.temperatureDeciKelvin), 0.02);
  EXPECT_EQ(battery.GetVoltage(index), r.voltage);
  EXPECT_EQ(battery.GetCurrent(index), r.current);
  EXPECT_EQ(battery.GetAverageCurrent(index), r.averageCurrent);
  EXPECT_EQ(battery.GetMaxError(index), r.maxError);
  EXPECT_EQ(battery.GetRelativeStateOfCharge(index), r.relativeStateOfCharge);
  EXPECT_EQ(battery.GetAbsoluteStateOfCharge(index), r.absoluteStateOfCharge);
  EXPECT_EQ(battery.GetRemainingCapacity(index), r.remaining);
  EXPECT_EQ(battery.GetFullChargeCapacity(index), r.fullCharge);
  EXPECT_EQ(battery.GetRunTimeToEmpty(index), r.runTimeToEmpty);
  EXPECT_EQ(battery.GetChargingCurrent(index), r.chargingCurrent);
  EXPECT_EQ(battery.GetChargingVoltage(index), r.chargingVoltage);
  EXPECT_EQ(battery.GetBatteryStatus(index), r.status);
  EXPECT_EQ(battery.GetCycleCount(index), r.cycleCount);
  EXPECT_EQ(battery.GetDesignCapacity(index), id.designCapacity);
  EXPECT_EQ(battery.GetDesignVoltage(index), id.designVoltage);
  EXPECT_EQ(battery.GetSerialNumber(index), id.serialNumber);
  EXPECT_EQ(battery.GetSeriesCells(index), id.seriesCells);
  EXPECT_EQ(battery.GetParallelCells(index), id.parallelCells);
  wchar_t buffer[battery::kNameBufferLength] = {};
  EXPECT_EQ(std::wstring(battery.GetManufacturerName(index, buffer)), Widen(id.manufacturerName));
  EXPECT_EQ(std::wstring(battery.GetDeviceName(index, buffer)), Widen(id.deviceName));
  EXPECT_EQ(std::wstring(battery.GetDeviceChemistry(index, buffer)), Widen(id.chemistry));
  for (std::uint8_t cell = 0; cell < id.seriesCells && cell < vnb::kCells; ++cell) {
    EXPECT_EQ(battery.GetCellVoltage(index, cell), r.cellVoltage[cell]) << "cell " << int(cell);
  }
  EXPECT_EQ(battery.GetBatteryState(index), r.stateByte);
  // The thresholds the identification characters stand for, as the EC firmware reads them.
  EXPECT_FLOAT_EQ(battery.GetThrottleCurrentLimit(index), vnb::ThrottleCurrentFromChar(id.manufacturerName[6]));
  EXPECT_EQ(battery.GetThrottleTemperature(index), vnb::ThrottleTemperatureFromChar(id.manufacturerName[7]));
  EXPECT_NEAR(battery.GetVeryLowVoltage(index), vnb::VeryLowVoltageFromChar(id.manufacturerName[8]) / 100.0, 1e-4);
  EXPECT_EQ(battery.GetThrottleOnCurrent(index), model.setPointOn[index]);
  EXPECT_EQ(battery.GetThrottleOffCurrent(index), model.setPointOff[index]);
}

class BatteryPaths : public E2eTest {};

// --- I2C: TesselDll.dll and BatteryI2CFunc ---------------------------------------------------

struct I2cCase {
  const char* profile;
  const char* path;
};

class I2cPath : public BatteryPaths, public ::testing::WithParamInterface<I2cCase> {};

TEST_P(I2cPath, EveryValueOfTheBlockEqualsTheModel) {
  UseProfile(GetParam().profile);
  ASSERT_TRUE(ConnectI2c(GetParam().path));
  battery::BatteryI2CFunc battery;
  battery.addressTable = battery::kAddressTableA;
  ASSERT_TRUE(battery.RefreshBlock(0));
  const ModelView model = Observe(machine());
  const vnb::PackReadings& r = model.slots[0].readings;
  const vnb::PackPhysics& physics = model.slots[0].physics;

  EXPECT_EQ(battery.GetBatteryStatus(0), r.status);
  EXPECT_FLOAT_EQ(battery.GetTemperature(0), static_cast<float>(std::lround(CelsiusOf(r.temperatureDeciKelvin))));
  EXPECT_EQ(battery.GetVoltage(0), r.voltage);
  EXPECT_EQ(battery.GetRemainingCapacity(0), r.remaining);
  EXPECT_EQ(battery.GetFullChargeCapacity(0), r.fullCharge);
  EXPECT_EQ(battery.GetCurrent(0), r.current);
  EXPECT_EQ(battery.GetAverageCurrent(0), r.current);  // the block has one current word
  EXPECT_EQ(battery.GetRunTimeToEmpty(0), r.runTimeToEmpty);
  EXPECT_EQ(battery.GetCycleCount(0), r.cycleCount);
  EXPECT_EQ(battery.GetDesignCapacity(0), model.slots[0].identity.designCapacity);
  EXPECT_EQ(battery.GetChargingCurrent(0), r.chargingCurrent);
  EXPECT_EQ(battery.GetChargingVoltage(0), r.chargingVoltage);
  EXPECT_EQ(battery.GetRelativeStateOfCharge(0), r.relativeStateOfCharge);
  EXPECT_EQ(battery.GetAbsoluteStateOfCharge(0), r.absoluteStateOfCharge);
  ASSERT_TRUE(model.acPlugged);
  EXPECT_EQ(battery.GetPowerState(), 1);
  EXPECT_EQ(battery.GetAcSourceFlag(), model.acSource == vnb::AcSource::kUsbC ? 1 : 0);
  EXPECT_TRUE(battery.IsAcPresent());
  EXPECT_EQ(battery.IsCharging(0), physics.phase == vnb::PackPhase::kConstantCurrent ||
                                       physics.phase == vnb::PackPhase::kConstantVoltage);
  wchar_t buffer[battery::kNameBufferLength] = {};
  EXPECT_STREQ(battery.GetManufacturerName(0, buffer), L"XXXX");

  // Pulling the adapter reaches the program with the next block.
  ASSERT_TRUE(machine().SetAc(false));
  ASSERT_TRUE(battery.RefreshBlock(0));
  EXPECT_EQ(battery.GetPowerState(), 0);
  EXPECT_FALSE(battery.IsAcPresent());
  EXPECT_EQ(battery.GetCurrent(0), Observe(machine()).slots[0].readings.current);
}

INSTANTIATE_TEST_SUITE_P(BothControllers, I2cPath,
                         ::testing::Values(I2cCase{"i2c", "\\_SB.I2C1"}, I2cCase{"i2c-pci", "\\_SB.PCI0.I2C1"}),
                         [](const auto& param) { return std::string(param.param.profile) == "i2c" ? "I2c1" : "Pci0I2c1"; });

TEST_F(BatteryPaths, I2cBlockFailsWithoutPackOrWithAFailingBus) {
  UseProfile("i2c");
  ASSERT_TRUE(ConnectI2c("\\_SB.I2C1"));
  battery::BatteryI2CFunc battery;
  ASSERT_TRUE(battery.RefreshBlock(0));
  const std::uint16_t voltage = battery.GetVoltage(0);
  ASSERT_TRUE(machine().SetFault(vnb::Fault::kI2cFail, true));
  EXPECT_FALSE(battery.RefreshBlock(0));
  EXPECT_EQ(battery.GetVoltage(0), voltage);  // the last block stays
  ASSERT_TRUE(machine().SetFault(vnb::Fault::kI2cFail, false));
  std::string error;
  ASSERT_TRUE(machine().SetBattery(0, false, &error)) << error;
  EXPECT_FALSE(battery.RefreshBlock(0));
}

// --- Mailbox: Brantel.dll and BatteryGeneFunc --------------------------------------------------

TEST_F(BatteryPaths, MailboxValuesEqualTheModel) {
  UseProfile("mailbox");
  LoadEcLibraryAndDriver();
  hw::SmiMailbox* mailbox = hw::LocateSmiMailbox();
  ASSERT_NE(mailbox, nullptr);
  battery::BatteryGeneFunc battery(mailbox);
  battery.addressTable = battery::kAddressTableA;
  const ModelView model = Observe(machine());
  EXPECT_EQ(battery.IsAcPresent(), model.acPlugged);
  EXPECT_EQ(battery.GetPowerState(), model.powerState);
  ExpectPackMatches(battery, 0, model);
  ExpectPackMatches(battery, 1, model);
}

// --- Third window: Brantel.dll, Sorrel.dll and BatteryFunc3th ---------------------------------

class RecordingSink : public hw::IMessageSink {
 public:
  void ShowMessage(std::string_view text, std::string_view caption) override {
    shown.push_back(std::string(caption) + ": " + std::string(text));
  }
  std::vector<std::string> shown;
};

class ThirdWindow : public BatteryPaths {
 protected:
  // The start-up's third-window path: EC library, driver, ACPI library, then the wrapper.
  void StartThirdWindow(const char* profile, std::uint32_t expectedDeviceType) {
    UseProfile(profile);
    LoadEcLibraryAndDriver();
    ASSERT_TRUE(hw::LoadAcpiLibrary(names_.acpiLibrary, sink_));
    EXPECT_EQ(hw::InitializeAcpiDevice(), 1u);
    ASSERT_EQ(hw::AcpiDeviceType(), expectedDeviceType);
    char version[hw::kVersionBufferSize] = {};
    ec_.GetVersionString(version);
    ec_.alternateMap = ec_.ReadByte(0x2000) == 0xFF ? 1 : 0;
    battery_.alternateMap = ec_.alternateMap;
    battery_.addressTable = battery::SelectAddressTable(ec_.alternateMap, ec_.GetProjectClass());
  }

  void ExpectBothPacksMatch() {
    const ModelView model = Observe(machine());
    EXPECT_EQ(battery_.IsAcPresent(), model.acPlugged);
    EXPECT_EQ(battery_.GetPowerState(), model.powerState);
    EXPECT_EQ(battery_.GetS3Voltage(), model.s3d3[0]);
    EXPECT_EQ(battery_.GetS3Current(), model.s3d3[1]);
    EXPECT_EQ(battery_.GetD3Voltage(), model.s3d3[2]);
    EXPECT_EQ(battery_.GetD3Current(), model.s3d3[3]);
    ExpectPackMatches(battery_, 0, model);
    ExpectPackMatches(battery_, 1, model);  // the second pack goes through the ACPI wrapper
  }

  RecordingSink sink_;
  hw::EcBasic3th ec_;
  battery::BatteryFunc3th battery_;
};

class ThirdWindowWmi : public ThirdWindow, public ::testing::WithParamInterface<const char*> {};

// The first layout and both classes of the second layout (address tables A, B and C).
TEST_P(ThirdWindowWmi, EveryValueEqualsTheModel) {
  StartThirdWindow(GetParam(), 2);
  // Only the carried copies were available: the runtime went beside us, the library copy
  // was written twice (the first copy could not find its runtime).
  EXPECT_EQ(hw::AcpiLibraryLoadState().way, hw::AcpiLoadWay::kWrittenCopyAgain);
  EXPECT_TRUE(std::filesystem::exists(hw::CurrentFolderPath("msvcr100.dll")));
  std::unique_ptr<hw::IZylWapper> wrapper = hw::CreateZylWrapper(hw::AcpiDeviceType());
  ASSERT_NE(wrapper, nullptr);
  ASSERT_NE(wrapper->acpiBuffer, nullptr);
  battery_.acpiWrapper = wrapper.get();
  ExpectBothPacksMatch();
  EXPECT_TRUE(sink_.shown.empty());
  battery_.acpiWrapper = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Layouts, ThirdWindowWmi, ::testing::Values("window-wmi", "alt-sl", "alt-kl"),
                         [](const auto& param) {
                           std::string name = param.param;
                           std::erase(name, '-');
                           return name;
                         });

TEST_F(ThirdWindow, WithTheHotKeyDeviceObjectEveryValueEqualsTheModel) {
  os::SetObjectProvider(vnb::HotKeyDeviceProvider());
  StartThirdWindow("window-com", 1);
  std::unique_ptr<hw::IZylWapper> wrapper = hw::CreateZylWrapper(hw::AcpiDeviceType());
  ASSERT_NE(wrapper, nullptr);
  battery_.acpiWrapper = wrapper.get();
  ExpectBothPacksMatch();
  battery_.acpiWrapper = nullptr;
}

TEST_F(ThirdWindow, FailingObjectServiceRaisesCoInitializeFail) {
  os::SetObjectProvider(vnb::HotKeyDeviceProvider());
  StartThirdWindow("window-com", 1);
  ASSERT_TRUE(machine().SetFault(vnb::Fault::kComInitFail, true));
  try {
    hw::CreateZylWrapper(1);
    FAIL() << "no error raised";
  } catch (const hw::ZylWrapperError& error) {
    EXPECT_STREQ(error.what(), "CoInitialize fail");
  }
}

TEST_F(ThirdWindow, NoAcpiDeviceGivesNoWrapper) {
  UseProfile("window-noacpi");
  LoadEcLibraryAndDriver();
  ASSERT_TRUE(hw::LoadAcpiLibrary(names_.acpiLibrary, sink_));
  EXPECT_EQ(hw::InitializeAcpiDevice(), 0u);
  EXPECT_EQ(hw::CreateZylWrapper(hw::AcpiDeviceType()), nullptr);
}

}  // namespace
}  // namespace e2e
