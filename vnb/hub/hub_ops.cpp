// The resource-hub operations over the virtual notebook: the system version of the profile,
// "\\.\RESOURCE_HUB" with its connection-properties query, connections opened by id, and the
// SPB sequence that runs one I2C exchange with the EC's slave.
#include "vnb/hub/hub_ops.h"

#include "vnb/hub/hub_connections.h"
#include "vnb/machine/i2c_slave.h"
#include "vnb/machine/machine.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHubName = "\\\\.\\RESOURCE_HUB";
constexpr std::string_view kConnectionPrefix = "\\\\.\\RESOURCE_HUB\\";
constexpr std::size_t kIdDigits = 16;
constexpr std::uint32_t kSpbListSize64 = 48;
constexpr std::uint32_t kSpbEntrySize64 = 32;
constexpr std::uint32_t kSpbWrite = 2;
constexpr std::uint32_t kSpbRead = 1;
constexpr std::uint32_t kSpbSimpleBuffer = 1;
constexpr std::size_t kMaxTransfer = 4096;

struct OpenHandle {
  bool isHub;
  std::uint32_t connectionId;
};

// Handles belong to this process, as they do on the platform the transport was written for.
std::mutex g_handleMutex;
std::map<HubHandle, OpenHandle> g_handles;
HubHandle g_nextHandle = 0x100;
thread_local std::uint32_t g_lastError = 0;

int Fail(std::uint32_t error) {
  g_lastError = error;
  return 0;
}

bool FindHandle(HubHandle handle, OpenHandle* out) {
  std::lock_guard<std::mutex> lock(g_handleMutex);
  auto it = g_handles.find(handle);
  if (it == g_handles.end()) return false;
  *out = it->second;
  return true;
}

HubHandle AddHandle(OpenHandle entry) {
  std::lock_guard<std::mutex> lock(g_handleMutex);
  const HubHandle handle = g_nextHandle++;
  g_handles[handle] = entry;
  return handle;
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t ReadU64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(ReadU32(p)) | static_cast<std::uint64_t>(ReadU32(p + 4)) << 32;
}

bool ParseConnectionId(std::string_view digits, std::uint32_t* id) {
  if (digits.size() != kIdDigits) return false;
  std::uint64_t value = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  if (value > 0xFFFFFFFFu) return false;
  *id = static_cast<std::uint32_t>(value);
  return true;
}

struct Transfer {
  std::uint32_t direction;
  std::uint32_t format;
  std::uint8_t* buffer;
  std::uint32_t length;
};

bool ParseTransferList(const void* in, std::uint32_t inLength, Transfer transfers[2], std::uint32_t* count) {
  if (in == nullptr || inLength < 16 + kSpbEntrySize64) return false;
  const auto* p = static_cast<const std::uint8_t*>(in);
  if (ReadU32(p) != kSpbListSize64) return false;
  *count = ReadU32(p + 8);
  if (*count < 1 || *count > 2 || inLength < 16 + kSpbEntrySize64 * *count) return false;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::uint8_t* e = p + 16 + kSpbEntrySize64 * i;
    transfers[i].direction = ReadU32(e);
    transfers[i].format = ReadU32(e + 8);
    transfers[i].buffer = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(ReadU64(e + 16)));
    transfers[i].length = ReadU32(e + 24);
    if (transfers[i].format != kSpbSimpleBuffer || transfers[i].length > kMaxTransfer) return false;
    if (transfers[i].length > 0 && transfers[i].buffer == nullptr) return false;
  }
  if (transfers[0].direction != kSpbWrite || transfers[0].length == 0) return false;
  if (*count == 2 && transfers[1].direction != kSpbRead) return false;
  return true;
}

int QueryConnection(const void* in, std::uint32_t inLength, void* out, std::uint32_t outLength,
                    std::uint32_t* returned) {
  if (in == nullptr || inLength < 16 || out == nullptr) return Fail(kHubErrorInvalidParameter);
  const std::uint64_t id = ReadU64(static_cast<const std::uint8_t*>(in) + 8);
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return Fail(kHubErrorIoDevice);
  const vnb::Profile* profile = nullptr;
  {
    vnb::Session session(*machine, vnb::HostRequest::kObserve);
    profile = &vnb::ProfileAt(session.state().config.profile);
  }
  const std::vector<vnb::HubConnection> table = vnb::HubConnectionsOf(*profile);
  const vnb::HubConnection* connection = vnb::FindHubConnection(table, id);
  if (connection == nullptr) return Fail(kHubErrorFileNotFound);
  const std::size_t n =
      vnb::BuildConnectionProperties(*connection, profile->hubBuild, static_cast<std::uint8_t*>(out), outLength);
  if (n == 0) return Fail(kHubErrorInvalidParameter);
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(n);
  return 1;
}

int ExecuteSequence(std::uint32_t connectionId, const void* in, std::uint32_t inLength, std::uint32_t* returned) {
  Transfer transfers[2] = {};
  std::uint32_t count = 0;
  if (!ParseTransferList(in, inLength, transfers, &count)) return Fail(kHubErrorInvalidParameter);
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return Fail(kHubErrorIoDevice);

  std::vector<std::uint8_t> frame(transfers[0].buffer, transfers[0].buffer + transfers[0].length);
  std::vector<std::uint8_t> reply(count == 2 ? transfers[1].length : 0);
  {
    vnb::Session session(*machine);
    vnb::MachineState& s = session.state();
    const vnb::Profile& profile = vnb::ProfileAt(s.config.profile);
    const std::vector<vnb::HubConnection> table = vnb::HubConnectionsOf(profile);
    const vnb::HubConnection* connection = vnb::FindHubConnection(table, connectionId);
    // Only the EC's slave answers; the other devices do not speak its frames.
    if (connection == nullptr || !connection->isEc) return Fail(kHubErrorIoDevice);
    if (s.config.faults & vnb::FaultBit(vnb::Fault::kI2cFail)) return Fail(kHubErrorSemTimeout);
    if (!vnb::I2cExchange(s, frame.data(), frame.size(), reply.data(), reply.size())) {
      return Fail(kHubErrorIoDevice);
    }
  }
  if (!reply.empty()) std::memcpy(transfers[1].buffer, reply.data(), reply.size());
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(frame.size() + reply.size());
  return 1;
}

int IsWow64False(HubHandle process, int* isWow64) {
  (void)process;
  if (isWow64 == nullptr) return 0;
  *isWow64 = 0;  // a 64-bit process
  return 1;
}

}  // namespace

extern "C" {

int HubGetVersionEx(HubOsVersionInfo* info) {
  if (info == nullptr || info->size != sizeof(HubOsVersionInfo)) return Fail(kHubErrorInvalidParameter);
  vnb::Machine* machine = vnb::Machine::Process();
  if (machine == nullptr) return Fail(kHubErrorIoDevice);
  std::uint32_t build = 0;
  {
    vnb::Session session(*machine, vnb::HostRequest::kObserve);
    build = vnb::ProfileAt(session.state().config.profile).hubBuild;
  }
  std::memset(reinterpret_cast<std::uint8_t*>(info) + sizeof info->size, 0, sizeof *info - sizeof info->size);
  // Builds before the new descriptor layout belong to the 6.x systems.
  info->majorVersion = build >= vnb::kHubNewLayoutBuild ? 10 : 6;
  info->minorVersion = build >= vnb::kHubNewLayoutBuild ? 0 : 2;
  info->buildNumber = build;
  info->platformId = 2;
  return 1;
}

HubHandle HubCreateFileA(const char* name, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                         std::uint32_t flags) {
  (void)access;
  (void)share;
  (void)flags;
  if (name == nullptr || disposition != kHubOpenExisting) {
    Fail(kHubErrorInvalidParameter);
    return kHubInvalidHandle;
  }
  const std::string_view text(name);
  if (text == kHubName) return AddHandle({true, 0});
  if (text.size() > kConnectionPrefix.size() && text.substr(0, kConnectionPrefix.size()) == kConnectionPrefix) {
    std::uint32_t id = 0;
    vnb::Machine* machine = vnb::Machine::Process();
    if (machine != nullptr && ParseConnectionId(text.substr(kConnectionPrefix.size()), &id)) {
      std::uint32_t profileIndex = 0;
      {
        vnb::Session session(*machine, vnb::HostRequest::kObserve);
        profileIndex = session.state().config.profile;
      }
      const std::vector<vnb::HubConnection> table = vnb::HubConnectionsOf(vnb::ProfileAt(profileIndex));
      if (vnb::FindHubConnection(table, id) != nullptr) return AddHandle({false, id});
    }
  }
  Fail(kHubErrorFileNotFound);
  return kHubInvalidHandle;
}

int HubDeviceIoControl(HubHandle handle, std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                       std::uint32_t outLength, std::uint32_t* returned) {
  OpenHandle entry{};
  if (!FindHandle(handle, &entry)) return Fail(kHubErrorInvalidHandle);
  if (returned != nullptr) *returned = 0;
  if (entry.isHub && code == kIoctlHubQueryConnectionProperties) {
    return QueryConnection(in, inLength, out, outLength, returned);
  }
  if (!entry.isHub && code == kIoctlSpbExecuteSequence) return ExecuteSequence(entry.connectionId, in, inLength, returned);
  return Fail(kHubErrorInvalidParameter);
}

int HubCloseHandle(HubHandle handle) {
  std::lock_guard<std::mutex> lock(g_handleMutex);
  if (g_handles.erase(handle) == 0) return Fail(kHubErrorInvalidHandle);
  return 1;
}

std::uint32_t HubGetLastError() { return g_lastError; }

HubIsWow64ProcessFn HubLookupIsWow64Process() { return &IsWow64False; }

// The pseudo handle of the current process, as the platform gives it.
HubHandle HubGetCurrentProcess() { return -1; }

}  // extern "C"
