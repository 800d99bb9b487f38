#include "vnb/machine/profiles.h"

#include <array>
#include <cstring>

namespace vnb {
namespace {

constexpr std::uint32_t kModernBuild = 22631;
constexpr std::uint32_t kOldBuild = 8148;  // the last build with the old descriptor layout

// Version strings: characters 3 and 4 give the project class (SL, KL or AP).
const std::array<Profile, 9> kProfiles = {{
    {"i2c", "EC answers over I2C on \\_SB.I2C1 (adapter power)", "\\_SB.I2C1", kModernBuild,
     MailboxKind::kNone, false, "NVAP2108", AcpiDevice::kWmi, false, 2, AcSource::kAdapter, 0x8528,
     0x02},
    {"i2c-pci", "EC answers over I2C on \\_SB.PCI0.I2C1, old hub descriptors (USB-C power)",
     "\\_SB.PCI0.I2C1", kOldBuild, MailboxKind::kNone, false, "NVAP2109", AcpiDevice::kWmi, false, 2,
     AcSource::kUsbC, 0x8528, 0x02},
    {"mailbox", "firmware SMI mailbox (\"$ECMA$\")", nullptr, kModernBuild, MailboxKind::kPresent,
     false, "NVKL3102", AcpiDevice::kWmi, false, 2, AcSource::kAdapter, 0x8527, 0x01},
    {"window-wmi", "third EC RAM window, second battery through the WMI method (default)", nullptr,
     kModernBuild, MailboxKind::kNone, false, "NVAP3105", AcpiDevice::kWmi, true, 2,
     AcSource::kAdapter, 0x8528, 0x03},
    {"window-com", "third EC RAM window, second battery through the hot-key device's COM object",
     nullptr, kModernBuild, MailboxKind::kUnsigned, false, "NVAP3105", AcpiDevice::kCom, false, 2,
     AcSource::kAdapter, 0x8528, 0x03},
    {"window-noacpi", "third EC RAM window, no ACPI device", nullptr, kModernBuild,
     MailboxKind::kNone, false, "NVAP3105", AcpiDevice::kNone, false, 2, AcSource::kAdapter, 0x8528,
     0x03},
    {"alt-sl", "second address layout, project class SL (below 0x2000)", nullptr, kModernBuild,
     MailboxKind::kNone, true, "NVSL2207", AcpiDevice::kWmi, false, 2, AcSource::kAdapter, 0x5570,
     0x11},
    {"alt-kl", "second address layout, project class KL (0x2000 and above)", nullptr, kModernBuild,
     MailboxKind::kNone, true, "NVKL4212", AcpiDevice::kWmi, false, 2, AcSource::kAdapter, 0x5571,
     0x12},
    {"one-battery", "third EC RAM window with WMI, a single battery slot", nullptr, kModernBuild,
     MailboxKind::kNone, false, "NVAP3105", AcpiDevice::kWmi, true, 1, AcSource::kAdapter, 0x8528,
     0x03},
}};

const std::array<FaultInfo, static_cast<std::size_t>(Fault::kCount)> kFaults = {{
    {Fault::kI2cFail, "i2c-fail", "every I2C exchange with the EC fails"},
    {Fault::kSmbusBusyStuck, "smbus-stuck", "the EC's SMBus transaction never completes (busy byte stays 1)"},
    {Fault::kRomNoSignature, "rom-nosig", "the EC ROM lacks its \"NV\" version signature"},
    {Fault::kBadVersion, "bad-version", "the EC version string holds a control character"},
    {Fault::kDriverLoadFail, "driver-fail", "LoadECDriver fails (returns 0)"},
    {Fault::kComInitFail, "com-init-fail", "COM initialisation fails on every thread"},
}};

}  // namespace

std::size_t ProfileCount() { return kProfiles.size(); }
const Profile& ProfileAt(std::size_t index) { return kProfiles.at(index); }

std::optional<std::size_t> FindProfile(std::string_view name) {
  for (std::size_t i = 0; i < kProfiles.size(); ++i) {
    if (name == kProfiles[i].name) return i;
  }
  return std::nullopt;
}

std::size_t FaultCount() { return kFaults.size(); }
const FaultInfo& FaultAt(std::size_t index) { return kFaults.at(index); }

std::optional<Fault> FindFault(std::string_view name) {
  for (const FaultInfo& info : kFaults) {
    if (name == info.name) return info.fault;
  }
  return std::nullopt;
}

}  // namespace vnb
