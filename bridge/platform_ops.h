// The platform operations the SPB transport needs, as an interface: the real library wires them to
// the resource-hub operations of this OS, unit tests to a recording fake.
#pragma once

#include <cstdint>

#include "vnb/hub/hub_ops.h"

namespace bridge {

class PlatformOps {
 public:
  virtual ~PlatformOps() = default;

  // True when the version structure was filled.
  virtual bool GetVersion(HubOsVersionInfo& info) = 0;
  virtual HubHandle CreateFile(const char* name, std::uint32_t access, std::uint32_t share,
                               std::uint32_t disposition, std::uint32_t flags) = 0;
  // The request's own result: non-zero on success.
  virtual int DeviceIoControl(HubHandle handle, std::uint32_t code, const void* in,
                              std::uint32_t inLength, void* out, std::uint32_t outLength,
                              std::uint32_t* returned) = 0;
  virtual bool CloseHandle(HubHandle handle) = 0;
  virtual std::uint32_t GetLastError() = 0;
  // The system's "IsWow64Process", or null when it has none.
  virtual HubIsWow64ProcessFn LookupIsWow64Process() = 0;
  virtual HubHandle GetCurrentProcess() = 0;
  // Whether the process itself runs with 64-bit pointers.
  virtual bool ProcessIs64Bit() = 0;
};

}  // namespace bridge
