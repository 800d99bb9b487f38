// The named machines the virtual notebook can be, and the faults that can be switched on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vnb {

enum class AcpiDevice : std::uint8_t { kNone = 0, kCom = 1, kWmi = 2 };
enum class MailboxKind : std::uint8_t { kNone, kUnsigned, kPresent };
enum class AcSource : std::uint8_t { kUsbC = 1, kAdapter = 2 };

struct Profile {
  const char* name;
  const char* description;
  const char* i2cPath;        // controller the EC's I2C slave sits on, or null (no EC on I2C)
  std::uint32_t hubBuild;     // system build number the resource hub reports
  MailboxKind mailbox;
  bool secondLayout;          // EC RAM in the second address layout (0x2000 reads 0xFF)
  const char* version;        // eight-character EC version string
  AcpiDevice acpiDevice;
  bool driverReturnsWmiBuffer;  // LoadECDriver answers the WMI buffer address instead of 1
  std::uint8_t batterySlots;
  AcSource acSource;
  std::uint16_t chipId;
  std::uint8_t chipRevision;
};

enum class Fault : std::uint8_t {
  kI2cFail = 0,
  kSmbusBusyStuck,
  kRomNoSignature,
  kBadVersion,
  kDriverLoadFail,
  kComInitFail,
  kCount
};

struct FaultInfo {
  Fault fault;
  const char* name;
  const char* description;
};

std::size_t ProfileCount();
const Profile& ProfileAt(std::size_t index);
std::optional<std::size_t> FindProfile(std::string_view name);
inline constexpr std::size_t kDefaultProfile = 3;  // "window-wmi"

std::size_t FaultCount();
const FaultInfo& FaultAt(std::size_t index);
std::optional<Fault> FindFault(std::string_view name);
inline constexpr std::uint32_t FaultBit(Fault fault) { return 1u << static_cast<unsigned>(fault); }

}  // namespace vnb
