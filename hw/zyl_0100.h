// The ACPI wrapper over the firmware's hot-key ACPI device object, reached through the
// object-creation service.
#pragma once

#include "hw/zyl_wrapper.h"

#include <array>
#include <thread>

namespace hw {

class CZyl0100 : public IZylWapper {
 public:
  // Initialises the object-creation service for this thread; throws ZylWrapperError
  // ("CoInitialize fail") when that is refused.
  CZyl0100();
  ~CZyl0100() override;
  CZyl0100(const CZyl0100&) = delete;
  CZyl0100& operator=(const CZyl0100&) = delete;

  // Creates the device object, lets it execute the exchange buffer (its fifth slot) and
  // releases it again. The object's result, or 0 when it could not be created.
  std::uint32_t Execute() override;

 private:
  std::array<std::uint8_t, kAcpiBufferSize> buffer_{};
};

}  // namespace hw
