// The resource-hub operations of this OS, as the bridge library's SPB transport calls them.
// They mirror the Windows calls the transport was designed against (version query, CreateFileA,
// DeviceIoControl, CloseHandle, the IsWow64Process look-up); on this machine the virtual
// notebook implements them in the static library `vnb_hub`, which the bridge library links.
#pragma once

#include <cstdint>

extern "C" {

using HubHandle = std::intptr_t;
inline constexpr HubHandle kHubInvalidHandle = -1;

// The 276-byte version structure: size, major, minor, build, platform, 128 UTF-16 units.
struct HubOsVersionInfo {
  std::uint32_t size;  // caller sets 276
  std::uint32_t majorVersion;
  std::uint32_t minorVersion;
  std::uint32_t buildNumber;
  std::uint32_t platformId;
  char16_t servicePack[128];
};
static_assert(sizeof(HubOsVersionInfo) == 276);

inline constexpr std::uint32_t kHubGenericRead = 0x80000000u;
inline constexpr std::uint32_t kHubGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kHubShareRead = 0x1u;
inline constexpr std::uint32_t kHubShareWrite = 0x2u;
inline constexpr std::uint32_t kHubOpenExisting = 3u;
inline constexpr std::uint32_t kHubAttributeNormal = 0x80u;

// Connection-properties query on "\\.\RESOURCE_HUB": 16 bytes in, up to 1036 bytes out.
inline constexpr std::uint32_t kIoctlHubQueryConnectionProperties = 0x2AC000u;
// SPB sequence on an opened connection: the transfer list in, no output.
inline constexpr std::uint32_t kIoctlSpbExecuteSequence = 0x41808u;

// Error codes HubGetLastError reports.
inline constexpr std::uint32_t kHubErrorFileNotFound = 2u;
inline constexpr std::uint32_t kHubErrorInvalidHandle = 6u;
inline constexpr std::uint32_t kHubErrorInvalidParameter = 87u;
inline constexpr std::uint32_t kHubErrorSemTimeout = 121u;
inline constexpr std::uint32_t kHubErrorIoDevice = 1117u;

// Non-zero on success.
int HubGetVersionEx(HubOsVersionInfo* info);
HubHandle HubCreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                         std::uint32_t disposition, std::uint32_t flags);
// Non-zero on success; *returned gets the number of output bytes.
int HubDeviceIoControl(HubHandle handle, std::uint32_t code, const void* in, std::uint32_t inLength,
                       void* out, std::uint32_t outLength, std::uint32_t* returned);
int HubCloseHandle(HubHandle handle);
std::uint32_t HubGetLastError();

// The "IsWow64Process" export of "kernel32", or null when the system has none.
using HubIsWow64ProcessFn = int (*)(HubHandle process, int* isWow64);
HubIsWow64ProcessFn HubLookupIsWow64Process();
HubHandle HubGetCurrentProcess();

}  // extern "C"
