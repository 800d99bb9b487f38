// A fake of the bridge's platform operations: it plays a resource hub with a programmable
// connection table and records every request the transport sends, byte for byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bridge/platform_ops.h"

namespace bridge_test {

struct CreateFileCall {
  std::string name;
  std::uint32_t access;
  std::uint32_t share;
  std::uint32_t disposition;
  std::uint32_t flags;
  HubHandle result;
};

struct QueryCall {
  std::vector<std::uint8_t> input;
  std::uint32_t outLength;
};

struct SequenceCall {
  HubHandle handle;
  std::vector<std::uint8_t> list;  // inLength bytes as passed
  std::vector<std::uint8_t> written;  // what the write transfer carried (wide lists only)
  const void* out;
  std::uint32_t outLength;
};

// One answer of the connection-properties query.
struct QueryAnswer {
  int result = 1;
  std::vector<std::uint8_t> bytes;  // copied to the output
  std::uint32_t returned = 0;       // reported byte count
};

enum class Wow64 { Missing, Yes, No, Fails };

class RecordingPlatformOps final : public bridge::PlatformOps {
 public:
  static constexpr HubHandle kHub = 100;
  static constexpr HubHandle kProcess = 7;

  // --- what the fake answers ---
  bool versionWorks = true;
  std::uint32_t buildNumber = 9200;
  bool hubOpens = true;
  bool devicesOpen = true;
  std::map<std::uint32_t, QueryAnswer> answers;  // by connection id
  bool sequenceWorks = true;
  std::uint32_t lastError = 1117;
  std::vector<std::uint8_t> replyBytes;  // given to the read transfer of a wide list
  bool process64 = true;
  Wow64 wow64 = Wow64::Missing;

  // --- what the fake saw, in order ---
  std::vector<std::string> events;
  std::vector<CreateFileCall> creates;
  std::vector<QueryCall> queries;
  std::vector<SequenceCall> sequences;
  std::vector<HubHandle> closed;
  int openHandles = 0;

  bool GetVersion(HubOsVersionInfo& info) override {
    events.push_back("version");
    versionSize = info.size;
    if (!versionWorks) return false;
    info.majorVersion = 6;
    info.minorVersion = 2;
    info.buildNumber = buildNumber;
    return true;
  }

  HubHandle CreateFile(const char* name, std::uint32_t access, std::uint32_t share,
                       std::uint32_t disposition, std::uint32_t flags) override {
    const bool hub = std::strcmp(name, "\\\\.\\RESOURCE_HUB") == 0;
    HubHandle result = kHubInvalidHandle;
    if (hub ? hubOpens : devicesOpen) result = hub ? kHub : nextDevice++;
    if (result != kHubInvalidHandle) ++openHandles;
    creates.push_back({name, access, share, disposition, flags, result});
    events.push_back("open " + std::string(name));
    return result;
  }

  int DeviceIoControl(HubHandle handle, std::uint32_t code, const void* in, std::uint32_t inLength,
                      void* out, std::uint32_t outLength, std::uint32_t* returned) override {
    const auto* input = static_cast<const std::uint8_t*>(in);
    if (code == kIoctlHubQueryConnectionProperties && handle == kHub) {
      queries.push_back({{input, input + inLength}, outLength});
      std::uint64_t id = 0;
      std::memcpy(&id, input + 8, sizeof id);
      const auto found = answers.find(static_cast<std::uint32_t>(id));
      if (found == answers.end()) {
        *returned = 0;
        return 0;
      }
      const QueryAnswer& answer = found->second;
      std::memcpy(out, answer.bytes.data(), std::min<std::size_t>(answer.bytes.size(), outLength));
      *returned = answer.returned;
      return answer.result;
    }
    if (code == kIoctlSpbExecuteSequence) {
      events.push_back("sequence " + std::to_string(handle));
      SequenceCall call{handle, {input, input + inLength}, {}, out, outLength};
      if (inLength == 80) Serve(call.list, call.written);
      sequences.push_back(call);
      *returned = 0;
      return sequenceWorks ? 1 : 0;
    }
    return 0;
  }

  bool CloseHandle(HubHandle handle) override {
    closed.push_back(handle);
    --openHandles;
    events.push_back("close " + std::to_string(handle));
    return true;
  }

  std::uint32_t GetLastError() override { return lastError; }

  HubIsWow64ProcessFn LookupIsWow64Process() override {
    switch (wow64) {
      case Wow64::Missing: return nullptr;
      case Wow64::Yes: return &IsWow64Yes;
      case Wow64::No: return &IsWow64No;
      case Wow64::Fails: return &IsWow64Fails;
    }
    return nullptr;
  }

  HubHandle GetCurrentProcess() override { return kProcess; }
  bool ProcessIs64Bit() override { return process64; }

  std::uint32_t versionSize = 0;

 private:
  static int IsWow64Yes(HubHandle, int* answer) { return *answer = 1, 1; }
  static int IsWow64No(HubHandle, int* answer) { return *answer = 0, 1; }
  static int IsWow64Fails(HubHandle, int* answer) { return *answer = 1, 0; }

  // Reads the write transfer and fills the read transfer of a 64-bit list, as the hub would.
  void Serve(const std::vector<std::uint8_t>& list, std::vector<std::uint8_t>& written) const {
    auto u32 = [&](std::size_t at) { std::uint32_t v; std::memcpy(&v, &list[at], 4); return v; };
    auto ptr = [&](std::size_t at) { std::uint64_t v; std::memcpy(&v, &list[at], 8); return v; };
    const auto* source = reinterpret_cast<const std::uint8_t*>(ptr(32));
    if (u32(40) != 0) written.assign(source, source + u32(40));
    if (u32(8) == 2) {
      auto* target = reinterpret_cast<std::uint8_t*>(ptr(64));
      const std::size_t capacity = u32(72);
      for (std::size_t i = 0; i < capacity && i < replyBytes.size(); ++i) target[i] = replyBytes[i];
    }
  }

  HubHandle nextDevice = 200;
};

// A serial-bus connection descriptor as the query returns it, in the old or the new layout.
inline QueryAnswer I2cDescriptor(bool newLayout, std::uint16_t address, const std::string& path,
                                 std::uint16_t dataLength = 6) {
  QueryAnswer answer;
  const std::size_t pathOffset = 20u + dataLength;
  answer.bytes.assign(std::max<std::size_t>(pathOffset + path.size() + 1, 26), 0);
  answer.bytes[8] = 0x8E;
  const std::size_t type = newLayout ? 13 : 12;
  const std::size_t length = newLayout ? 18 : 17;
  const std::size_t slave = newLayout ? 24 : 23;
  answer.bytes[type] = 1;
  answer.bytes[length] = static_cast<std::uint8_t>(dataLength & 0xFF);
  answer.bytes[length + 1] = static_cast<std::uint8_t>(dataLength >> 8);
  answer.bytes[slave] = static_cast<std::uint8_t>(address & 0xFF);
  answer.bytes[slave + 1] = static_cast<std::uint8_t>(address >> 8);
  std::memcpy(answer.bytes.data() + pathOffset, path.data(), path.size());
  answer.returned = static_cast<std::uint32_t>(answer.bytes.size());
  return answer;
}

}  // namespace bridge_test
