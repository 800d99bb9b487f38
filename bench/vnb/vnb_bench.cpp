// What the virtual notebook costs the program per call: one EC RAM byte read through
// Brantel.dll, and one SMBus word sequence (six extended commands, without the 5 ms pause).
#include "hw/ec_library_abi.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct Brantel {
  Brantel() {
    name = "/vnb-bench-" + std::to_string(getpid());
    setenv("PACKWATCH_VNB", name.c_str(), 1);
    handle = dlopen(PACKWATCH_BIN_DIR "/Brantel.dll", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) std::abort();
    read = reinterpret_cast<EcMemFn>(dlsym(handle, "ECMem3r"));
    ext = reinterpret_cast<EcExtCmdFn>(dlsym(handle, "Ext3rdCmd"));
    if (read == nullptr || ext == nullptr) std::abort();
  }
  ~Brantel() {
    const std::string path = "/dev/shm" + name;
    unlink(path.c_str());
  }
  std::string name;
  void* handle;
  EcMemFn read;
  EcExtCmdFn ext;
};

Brantel& Library() {
  static Brantel library;
  return library;
}

void BM_EcRamByteRead(benchmark::State& state) {
  Brantel& b = Library();
  EcMemBlock block{};
  std::uint16_t address = 0x03B0;
  for (auto _ : state) {
    block.address = address;
    b.read(&block);
    benchmark::DoNotOptimize(block.data);
    address = address == 0x03BF ? 0x03B0 : static_cast<std::uint16_t>(address + 1);
  }
}
BENCHMARK(BM_EcRamByteRead);

void Ext(Brantel& b, std::uint8_t command, std::uint8_t reg, std::uint8_t value, std::uint8_t writes,
         std::uint8_t reads) {
  EcExtCmdBlock block{};
  block.command = command;
  block.writeCount = writes;
  block.readCount = reads;
  block.data[0] = reg;
  block.data[1] = value;
  b.ext(&block);
  benchmark::DoNotOptimize(block.data[0]);
}

void BM_SmbusWordSequence(benchmark::State& state) {
  Brantel& b = Library();
  for (auto _ : state) {
    Ext(b, 0x9B, 0x18, 0x09, 2, 0);
    Ext(b, 0x9B, 0x1A, 0x16, 2, 0);
    Ext(b, 0x9B, 0x1B, 0x0D, 2, 0);
    Ext(b, 0x9C, 0, 0, 0, 0);
    Ext(b, 0x9A, 0x1D, 0, 1, 1);
    Ext(b, 0x9A, 0x1C, 0, 1, 1);
  }
}
BENCHMARK(BM_SmbusWordSequence);

}  // namespace
