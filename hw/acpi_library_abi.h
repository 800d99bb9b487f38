// Binary interface of the ACPI/WMI method library "Sorrel.dll" (C linkage, ten exports).
#pragma once

#include <cstdint>

extern "C" {

// 1 or 2 select the ACPI wrapper flavour; anything else: none.
using AcpiGetDeviceTypeFn = std::uint32_t (*)();
// Non-zero: the ACPI functions are available.
using AcpiInitializeFn = std::uint32_t (*)(std::uint32_t argument);
// Runs the WMI method (name = four characters, first in the low byte) with one integer
// argument and writes its integer result. Returns non-zero when the method ran.
using AcpiOneWmiMethodIntFn = std::uint32_t (*)(std::uint32_t methodName, std::uint32_t argument,
                                                std::uint32_t* result);
// Exports the program binds but never calls.
using AcpiUnusedFn = std::uint32_t (*)();

}  // extern "C"

// "KWPB" as a little-endian u32.
inline constexpr std::uint32_t kWmiMethodKwpb = 'K' | ('W' << 8) | ('P' << 16) | (static_cast<std::uint32_t>('B') << 24);

#define PACKWATCH_ACPI_UNUSED_EXPORTS(X)                                                  \
  X(UninitializeZYLACPIDeviceEx) X(None_MethodEx) X(One_Method_INTEx) X(None_WMIMethodEx) \
  X(Two_WMIMethod_INTEx) X(General_WMIMethod_INTEx) X(GetZYLACPIDeviceInformationEx)
