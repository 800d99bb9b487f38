// Chooses the ACPI wrapper flavour from the device type the ACPI library reports.
#pragma once

#include "hw/zyl_wrapper.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace hw {

inline constexpr std::string_view kCoInitializeFailText = "CoInitialize fail";
inline constexpr std::string_view kZylNotLoadedText = "ZYL DLL is not loaded.";

// A wrapper that cannot be made; what() is the text the start-up shows (caption "SMBus error").
class ZylWrapperError : public std::runtime_error {
 public:
  explicit ZylWrapperError(std::string_view text) : std::runtime_error(std::string(text)) {}
};

// Type 1: CZyl0100 (the hot-key device's object); type 2: CZylWMI (the "KWPB" WMI method);
// anything else: null. Throws ZylWrapperError when the chosen flavour cannot be made. The
// wrapper must be destroyed on the thread that made it (CZyl0100 initialised the
// object-creation service for that thread).
std::unique_ptr<IZylWapper> CreateZylWrapper(std::uint32_t deviceType);

}  // namespace hw
