// One 62-byte battery block exchange (frame 0x81): through the built TesselDll.dll against the
// virtual notebook, and through the same bridge code over a hub that answers at once, which
// leaves only the bridge's own work (private copies, bus mutex, open, transfer list, close).
#include <dlfcn.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bridge/bridge.h"
#include "bridge/named_bus_mutex.h"
#include "hw/bridge_library_abi.h"
#if BENCH_WITH_VNB
#include "vnb/machine/machine.h"
#endif

namespace {

constexpr std::uint8_t kBlockFrame[1] = {0x81};
constexpr std::uint32_t kBlockLength = 62;

// A resource hub with one I2C connection that completes every request immediately.
class InstantHub final : public bridge::PlatformOps {
 public:
  bool GetVersion(HubOsVersionInfo& info) override {
    info.buildNumber = 22631;
    return true;
  }
  HubHandle CreateFile(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t) override {
    return 5;
  }
  int DeviceIoControl(HubHandle, std::uint32_t code, const void* in, std::uint32_t, void* out,
                      std::uint32_t, std::uint32_t* returned) override {
    if (code == kIoctlHubQueryConnectionProperties) {
      std::uint64_t id = 0;
      std::memcpy(&id, static_cast<const std::uint8_t*>(in) + 8, sizeof id);
      if (id != 1) return 0;
      auto* bytes = static_cast<std::uint8_t*>(out);
      bytes[8] = 0x8E;
      bytes[13] = 1;
      bytes[18] = 6;
      bytes[24] = 0x66;
      std::memcpy(bytes + 26, "\\_SB.I2C1", 10);
      *returned = 36;
      return 1;
    }
    return 1;
  }
  bool CloseHandle(HubHandle) override { return true; }
  std::uint32_t GetLastError() override { return 0; }
  HubIsWow64ProcessFn LookupIsWow64Process() override { return nullptr; }
  HubHandle GetCurrentProcess() override { return 1; }
  bool ProcessIs64Bit() override { return true; }
};

// The benchmark's own lock file, named after the process: removed afterwards so that runs do
// not pile lock files up in the runtime folder.
struct ScopedBenchLockName {
  std::string name = "bench-bridge-" + std::to_string(getpid());
  ~ScopedBenchLockName() { unlink(bridge::NamedLockPath(name).c_str()); }
};

void BM_BridgeOwnOverhead(benchmark::State& state) {
  ScopedBenchLockName lockName;
  InstantHub hub;
  bridge::NamedBusMutex mutex(lockName.name);
  bridge::Bridge bridge(hub, mutex);
  if (bridge.GetECRAM() != 1) {
    state.SkipWithError("enumeration failed");
    return;
  }
  std::uint8_t reply[kBlockLength];
  for (auto _ : state) {
    if (bridge.ReadECRAM(kBlockFrame, 1, reply, kBlockLength) != 1) {
      state.SkipWithError("exchange failed");
      break;
    }
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_BridgeOwnOverhead);

#if BENCH_WITH_VNB
// A machine of this process's own on the I2C profile, so the benchmark disturbs no other run;
// made once (the library stays attached to it) and removed when the process ends.
struct BenchMachine {
  std::string name = "bench-bridge-" + std::to_string(getpid());
  std::unique_ptr<vnb::Machine> machine;
  std::string error;
  BridgeReadEcRamFn readEcRam = nullptr;

  BenchMachine() {
    setenv("PACKWATCH_VNB", name.c_str(), 1);
    machine = vnb::Machine::Open("/" + name, &error);
    if (!machine || !machine->SelectProfile("i2c", &error)) return;
    const std::string path = std::string(PACKWATCH_BIN_DIR) + "/TesselDll.dll";
    void* library = dlopen(path.c_str(), RTLD_NOW);
    if (library == nullptr) {
      error = dlerror();
      return;
    }
    auto getEcRam = reinterpret_cast<BridgeGetEcRamFn>(dlsym(library, "GetECRAM"));
    readEcRam = reinterpret_cast<BridgeReadEcRamFn>(dlsym(library, "ReadECRAM"));
    if (getEcRam == nullptr || readEcRam == nullptr || getEcRam() != 1) {
      error = "TesselDll.dll did not enumerate";
      readEcRam = nullptr;
    }
  }
  ~BenchMachine() {
    machine.reset();
    vnb::Segment::Remove("/" + name);
  }
};

void BM_BatteryBlockThroughTesselDll(benchmark::State& state) {
  static BenchMachine bench;
  if (bench.readEcRam == nullptr) {
    state.SkipWithError(bench.error.c_str());
    return;
  }
  std::uint8_t reply[kBlockLength];
  for (auto _ : state) {
    if (bench.readEcRam(kBlockFrame, 1, reply, kBlockLength) != 1) {
      state.SkipWithError("exchange failed");
      break;
    }
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_BatteryBlockThroughTesselDll);
#endif

}  // namespace
