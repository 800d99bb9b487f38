#include "hw/zyl_0100.h"

#include "hw/hotkey_device_abi.h"
#include "hw/zyl_wrapper_factory.h"
#include "os/object_service.h"

namespace hw {

CZyl0100::CZyl0100() {
  if (!os::Succeeded(os::Initialize())) throw ZylWrapperError(kCoInitializeFailText);
  acpiBuffer = buffer_.data();
}

CZyl0100::~CZyl0100() {
  acpiBuffer = nullptr;
  os::Uninitialize();
}

std::uint32_t CZyl0100::Execute() {
  void* object = nullptr;
  if (!os::Succeeded(os::CreateInstance(kHotKeyDeviceClassId, kHotKeyDeviceInterfaceId, &object)) ||
      object == nullptr) {
    return 0;
  }
  auto* device = static_cast<IHotKeyAcpiDevice*>(object);
  std::uint32_t result = 0;
  device->ExecuteAcpiBuffer(acpiBuffer, &result);
  device->Release();
  return result;
}

}  // namespace hw
