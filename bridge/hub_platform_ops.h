// The platform operations of this OS: the resource-hub operations the library links.
#pragma once

#include "bridge/platform_ops.h"

namespace bridge {

class HubPlatformOps final : public PlatformOps {
 public:
  bool GetVersion(HubOsVersionInfo& info) override;
  HubHandle CreateFile(const char* name, std::uint32_t access, std::uint32_t share,
                       std::uint32_t disposition, std::uint32_t flags) override;
  int DeviceIoControl(HubHandle handle, std::uint32_t code, const void* in, std::uint32_t inLength,
                      void* out, std::uint32_t outLength, std::uint32_t* returned) override;
  bool CloseHandle(HubHandle handle) override;
  std::uint32_t GetLastError() override;
  HubIsWow64ProcessFn LookupIsWow64Process() override;
  HubHandle GetCurrentProcess() override;
  bool ProcessIs64Bit() override;
};

}  // namespace bridge
