// The ACPI wrapper over the ACPI library's WMI method "KWPB": the firmware's exchange buffer
// is mapped from its physical address through the EC library.
#pragma once

#include "hw/ec_library_abi.h"
#include "hw/zyl_wrapper.h"

namespace hw {

class CZylWMI : public IZylWapper {
 public:
  // Throws ZylWrapperError ("ZYL DLL is not loaded.") when the WMI method or the mapping call
  // is not bound. Without a buffer address from the firmware the wrapper has no buffer.
  CZylWMI();
  // Releases the mapping, and only a mapping that was made.
  ~CZylWMI() override;
  CZylWMI(const CZylWMI&) = delete;
  CZylWMI& operator=(const CZylWMI&) = delete;

  // Runs "KWPB" with the buffer's physical address; returns the method's result.
  std::uint32_t Execute() override;

  std::uint32_t physicalAddress = 0;
  EcMapBlock mapping{};
  void* linearAddress = nullptr;

 private:
  bool mapped_ = false;
};

}  // namespace hw
