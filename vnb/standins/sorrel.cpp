// "Sorrel.dll": the ACPI/WMI method library over the virtual notebook's firmware. It needs the
// C runtime "msvcr100.dll" beside it.
#include "hw/acpi_library_abi.h"
#include "vnb/machine/firmware.h"
#include "vnb/machine/machine.h"
#include "vnb/standins/export.h"

#include <type_traits>

extern "C" std::uint32_t VnbRuntimeVersion();

namespace {

vnb::AcpiDevice DeviceOf(const vnb::MachineState& state) {
  return vnb::ProfileAt(state.config.profile).acpiDevice;
}

}  // namespace

VNB_EXPORT std::uint32_t GetZYLACPIDeviceTypeEx() {
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return 0;
  vnb::Session session(*machine);
  return static_cast<std::uint32_t>(DeviceOf(session.state()));
}

VNB_EXPORT std::uint32_t InitializeZYLACPIDeviceEx(std::uint32_t argument) {
  (void)argument;
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr || VnbRuntimeVersion() != 100) return 0;
  vnb::Session session(*machine);
  return DeviceOf(session.state()) != vnb::AcpiDevice::kNone ? 1u : 0u;
}

// "KWPB": argument 0 asks for the exchange buffer's physical address; the buffer's address runs
// the request held in it.
VNB_EXPORT std::uint32_t One_WMIMethod_INTEx(std::uint32_t methodName, std::uint32_t argument,
                                             std::uint32_t* result) {
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr || methodName != kWmiMethodKwpb) return 0;
  vnb::Session session(*machine);
  vnb::MachineState& s = session.state();
  if (DeviceOf(s) != vnb::AcpiDevice::kWmi) return 0;
  if (argument == 0) {
    if (result != nullptr) *result = vnb::kPhysAcpiBuffer;
    return 1;
  }
  if (argument != vnb::kPhysAcpiBuffer) return 0;
  auto* buffer = reinterpret_cast<std::uint8_t*>(&s) + vnb::kPhysAcpiBuffer;
  const bool ok = vnb::ExecuteAcpiRequest(s, buffer);
  if (result != nullptr) *result = ok ? argument : 0;
  return 1;
}

#define VNB_UNUSED_EXPORT(name) \
  VNB_EXPORT std::uint32_t name() { return 0; }
PACKWATCH_ACPI_UNUSED_EXPORTS(VNB_UNUSED_EXPORT)
#undef VNB_UNUSED_EXPORT

static_assert(std::is_same_v<decltype(&GetZYLACPIDeviceTypeEx), AcpiGetDeviceTypeFn>);
static_assert(std::is_same_v<decltype(&InitializeZYLACPIDeviceEx), AcpiInitializeFn>);
static_assert(std::is_same_v<decltype(&One_WMIMethod_INTEx), AcpiOneWmiMethodIntFn>);
