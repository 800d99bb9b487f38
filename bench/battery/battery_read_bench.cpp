// One refresh's worth of getter calls for one battery, against the in-test EC library. The
// SMBus pauses are recorded by a fake clock instead of slept, so the time shown is our own
// CPU cost; the counters show the EC library calls and the pauses a real refresh would take.
#include "battery/battery_func_3th.h"
#include "battery/battery_gene_func.h"
#include "tests/support/fake_ec_library.h"
#include "tests/support/fake_smbus_clock.h"

#include <benchmark/benchmark.h>

namespace {

void ReadEveryValue(battery::IBattery& pack, std::uint8_t index) {
  wchar_t name[battery::kNameBufferLength];
  benchmark::DoNotOptimize(pack.IsBatteryPresent(index));
  benchmark::DoNotOptimize(pack.IsAcPresent());
  benchmark::DoNotOptimize(pack.GetAcSourceFlag());
  benchmark::DoNotOptimize(pack.IsCharging(index));
  benchmark::DoNotOptimize(pack.GetBatteryMode(index));
  benchmark::DoNotOptimize(pack.GetTemperature(index));
  benchmark::DoNotOptimize(pack.GetVoltage(index));
  benchmark::DoNotOptimize(pack.GetCurrent(index));
  benchmark::DoNotOptimize(pack.GetAverageCurrent(index));
  benchmark::DoNotOptimize(pack.GetMaxError(index));
  benchmark::DoNotOptimize(pack.GetRelativeStateOfCharge(index));
  benchmark::DoNotOptimize(pack.GetAbsoluteStateOfCharge(index));
  benchmark::DoNotOptimize(pack.GetRemainingCapacity(index));
  benchmark::DoNotOptimize(pack.GetFullChargeCapacity(index));
  benchmark::DoNotOptimize(pack.GetRunTimeToEmpty(index));
  benchmark::DoNotOptimize(pack.GetChargingCurrent(index));
  benchmark::DoNotOptimize(pack.GetChargingVoltage(index));
  benchmark::DoNotOptimize(pack.GetBatteryStatus(index));
  benchmark::DoNotOptimize(pack.GetCycleCount(index));
  benchmark::DoNotOptimize(pack.GetDesignCapacity(index));
  benchmark::DoNotOptimize(pack.GetDesignVoltage(index));
  benchmark::DoNotOptimize(pack.GetManufacturerName(index, name));
  benchmark::DoNotOptimize(pack.GetSerialNumber(index));
  benchmark::DoNotOptimize(pack.GetDeviceChemistry(index, name));
  benchmark::DoNotOptimize(pack.GetDeviceName(index, name));
  benchmark::DoNotOptimize(pack.GetSeriesCells(index));
  benchmark::DoNotOptimize(pack.GetParallelCells(index));
  benchmark::DoNotOptimize(pack.GetThrottleCurrentLimit(index));
  benchmark::DoNotOptimize(pack.GetThrottleTemperature(index));
  benchmark::DoNotOptimize(pack.GetVeryLowVoltage(index));
  for (std::uint8_t cell = 0; cell < 4; ++cell) benchmark::DoNotOptimize(pack.GetCellVoltage(index, cell));
}

void Report(benchmark::State& state, long calls, std::size_t pauses) {
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["ec_calls_per_read"] = static_cast<double>(calls) / iterations;
  state.counters["pauses_per_read"] = static_cast<double>(pauses) / iterations;
}

void BM_MailboxRead(benchmark::State& state) {
  fake::FakeEcLibrary ec;
  ec.firmware = [](std::uint8_t* block) { block[24] = 0x07; };
  battery::BatteryGeneFunc pack(reinterpret_cast<hw::SmiMailbox*>(ec.Mailbox()));
  pack.addressTable = battery::kAddressTableA;
  for (auto _ : state) ReadEveryValue(pack, 0);
  Report(state, ec.calls, 0);
}
BENCHMARK(BM_MailboxRead);

void BM_ThirdWindowRead(benchmark::State& state) {
  fake::FakeEcLibrary ec;
  ec.ram[0x0380] = 0x07;
  fake::FakeSmbusClock clock;
  battery::BatteryFunc3th pack(clock);
  pack.addressTable = battery::kAddressTableA;
  for (auto _ : state) {
    ReadEveryValue(pack, 0);
    // Keep the recorders from growing without bound; this is not what is measured.
    state.PauseTiming();
    ec.ramReads.clear();
    ec.extCalls.clear();
    state.ResumeTiming();
  }
  Report(state, ec.calls, clock.sleeps.size());
}
BENCHMARK(BM_ThirdWindowRead);

}  // namespace
