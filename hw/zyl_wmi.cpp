#include "hw/zyl_wmi.h"

#include "hw/acpi_library.h"
#include "hw/ec_library.h"
#include "hw/zyl_wrapper_factory.h"

namespace hw {

namespace {
constexpr std::uint32_t kMappedLength = 256;
}

CZylWMI::CZylWMI() {
  const auto wmiMethod = AcpiLibrary().One_WMIMethod_INTEx;
  const auto map = EcLibrary().MAPPHYSTOLIN;
  if (wmiMethod == nullptr || map == nullptr) throw ZylWrapperError(kZylNotLoadedText);
  std::uint32_t result = 0;
  wmiMethod(kWmiMethodKwpb, 0, &result);
  physicalAddress = result;
  if (physicalAddress == 0) return;  // the firmware offers no buffer: reads give 0
  mapping = EcMapBlock{physicalAddress, 0, 0, 0, kMappedLength};
  map(&mapping);
  linearAddress = EcMapBlockLinear(mapping);
  if (linearAddress == nullptr) return;
  mapped_ = true;
  acpiBuffer = static_cast<std::uint8_t*>(linearAddress);
}

CZylWMI::~CZylWMI() {
  acpiBuffer = nullptr;
  const auto unmap = EcLibrary().UNMAPPHYSADDR;
  if (mapped_ && unmap != nullptr) unmap(&mapping);
}

std::uint32_t CZylWMI::Execute() {
  const auto wmiMethod = AcpiLibrary().One_WMIMethod_INTEx;
  if (wmiMethod == nullptr) return 0;
  std::uint32_t result = physicalAddress;
  wmiMethod(kWmiMethodKwpb, physicalAddress, &result);
  return result;
}

}  // namespace hw
