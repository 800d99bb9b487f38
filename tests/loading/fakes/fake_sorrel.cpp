// An ACPI library for the loading tests that needs "msvcr100.dll" (General_WMIMethod_INTEx
// left out when FAKE_OMIT_GENERAL is defined).
#include <cstdint>

extern "C" int FakeRuntimeValue();

extern "C" {
std::uint32_t GetZYLACPIDeviceTypeEx() { return static_cast<std::uint32_t>(FakeRuntimeValue()); }
std::uint32_t InitializeZYLACPIDeviceEx(std::uint32_t) { return 1; }
std::uint32_t One_WMIMethod_INTEx(std::uint32_t, std::uint32_t, std::uint32_t* result) {
  *result = 0;
  return 1;
}
std::uint32_t UninitializeZYLACPIDeviceEx() { return 0; }
std::uint32_t None_MethodEx() { return 0; }
std::uint32_t One_Method_INTEx() { return 0; }
std::uint32_t None_WMIMethodEx() { return 0; }
std::uint32_t Two_WMIMethod_INTEx() { return 0; }
#ifndef FAKE_OMIT_GENERAL
std::uint32_t General_WMIMethod_INTEx() { return 0; }
#endif
std::uint32_t GetZYLACPIDeviceInformationEx() { return 0; }
}
