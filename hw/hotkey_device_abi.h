// The firmware's hot-key ACPI device as an object of the object-creation service: the class
// and interface ids and the slot layout the ACPI wrapper calls through.
#pragma once

#include "os/object_service.h"

#include <cstdint>

namespace hw {

// {CE040E8E-719A-41CD-99C3-92BDA47D732D}
inline constexpr os::Guid kHotKeyDeviceClassId = {
    0xCE040E8E, 0x719A, 0x41CD, {0x99, 0xC3, 0x92, 0xBD, 0xA4, 0x7D, 0x73, 0x2D}};
// {8B236864-ADDF-4C82-BA22-F3C1F5728E43}
inline constexpr os::Guid kHotKeyDeviceInterfaceId = {
    0x8B236864, 0xADDF, 0x4C82, {0xBA, 0x22, 0xF3, 0xC1, 0xF5, 0x72, 0x8E, 0x43}};

class IHotKeyAcpiDevice : public os::IUnknown {
 public:
  // Slot 3: not used by the program.
  virtual os::HResult GetDeviceInformation(std::uint32_t* information) = 0;
  // Slot 4 (the fifth table entry): executes the 48-byte ACPI exchange buffer in place.
  virtual os::HResult ExecuteAcpiBuffer(std::uint8_t* buffer, std::uint32_t* result) = 0;

 protected:
  ~IHotKeyAcpiDevice() = default;
};

}  // namespace hw
