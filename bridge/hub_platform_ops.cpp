#include "bridge/hub_platform_ops.h"

namespace bridge {

bool HubPlatformOps::GetVersion(HubOsVersionInfo& info) { return HubGetVersionEx(&info) != 0; }

HubHandle HubPlatformOps::CreateFile(const char* name, std::uint32_t access, std::uint32_t share,
                                     std::uint32_t disposition, std::uint32_t flags) {
  return HubCreateFileA(name, access, share, disposition, flags);
}

int HubPlatformOps::DeviceIoControl(HubHandle handle, std::uint32_t code, const void* in,
                                    std::uint32_t inLength, void* out, std::uint32_t outLength,
                                    std::uint32_t* returned) {
  return HubDeviceIoControl(handle, code, in, inLength, out, outLength, returned);
}

bool HubPlatformOps::CloseHandle(HubHandle handle) { return HubCloseHandle(handle) != 0; }

std::uint32_t HubPlatformOps::GetLastError() { return HubGetLastError(); }

HubIsWow64ProcessFn HubPlatformOps::LookupIsWow64Process() { return HubLookupIsWow64Process(); }

HubHandle HubPlatformOps::GetCurrentProcess() { return HubGetCurrentProcess(); }

bool HubPlatformOps::ProcessIs64Bit() { return sizeof(void*) == 8; }

}  // namespace bridge
