#include "powerwiz/power_wiz_figures.h"

namespace powerwiz {
namespace {

// Products are formed in 64 bits and brought back to 32 bits with wrap-around, which is what
// 32-bit arithmetic gives for the readings' ranges (|V x I| < 2^31) without undefined behaviour
// for values outside them.
std::int32_t Wrap32(std::int64_t value) { return static_cast<std::int32_t>(value); }

std::int32_t Absolute(std::int32_t value) { return Wrap32(value < 0 ? -std::int64_t{value} : value); }

}  // namespace

PowerFigures ComputePowerFigures(std::int32_t voltage, std::int32_t current,
                                 std::int32_t remainingCapacity) {
  PowerFigures figures;
  figures.voltage = voltage;
  figures.current = current;
  figures.watt = Absolute(Wrap32(std::int64_t{voltage} * current) / 1000);
  if (current < 0) {
    const std::int32_t estimate =
        Absolute(Wrap32(Wrap32(std::int64_t{remainingCapacity} * 60) / std::int64_t{current}));
    figures.runTime = Wrap32(Wrap32(std::int64_t{estimate} * 95) / 100);
  }
  return figures;
}

PowerWizFigures ComputePowerWizFigures(const PowerWizData& data) {
  return {ComputePowerFigures(data.s3Voltage, data.s3Current, data.remainingCapacity),
          ComputePowerFigures(data.d3Voltage, data.d3Current, data.remainingCapacity)};
}

}  // namespace powerwiz
