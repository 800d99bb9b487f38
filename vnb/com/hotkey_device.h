// The hot-key ACPI device's object, served to the object-creation service when the profile has
// that device: its ExecuteAcpiBuffer runs a 48-byte ACPI exchange buffer exactly as the WMI
// method does.
#pragma once

#include "os/object_service.h"

namespace vnb {

// `initialize` fails with os::kFail while the fault "com-init-fail" is on (or no machine can be
// reached); `create` fails with os::kClassNotRegistered when the profile has no COM device.
const os::ObjectProvider* HotKeyDeviceProvider();

}  // namespace vnb
