// "msvcr100.dll": the C runtime the ACPI library needs. Here it only has to exist, so that the
// ACPI library fails to load without it, as it does on the real platform.
#include "vnb/standins/export.h"

#include <cstdint>

VNB_EXPORT std::uint32_t VnbRuntimeVersion() { return 100; }
