#include "hw/zyl_wrapper_factory.h"

#include "hw/zyl_0100.h"
#include "hw/zyl_wmi.h"

namespace hw {

std::unique_ptr<IZylWapper> CreateZylWrapper(std::uint32_t deviceType) {
  switch (deviceType) {
    case 1:
      return std::make_unique<CZyl0100>();
    case 2:
      return std::make_unique<CZylWMI>();
    default:
      return nullptr;
  }
}

}  // namespace hw
