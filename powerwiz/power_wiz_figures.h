// The S3 and D3 power figures: voltage, current, power and estimated run time.
#pragma once

#include <cstdint>

namespace powerwiz {

// Filled by the main window on every tick: voltages unsigned 16-bit, currents signed 16-bit
// (negative while discharging), all widened to 32 bits; the remaining capacity is battery 1's.
struct PowerWizData {
  std::int32_t s3Voltage = 0;          // mV
  std::int32_t s3Current = 0;          // mA
  std::int32_t d3Voltage = 0;          // mV
  std::int32_t d3Current = 0;          // mA
  std::int32_t remainingCapacity = 0;  // mAh
};

// The four figures of one low-power state, as the window and the report show them.
struct PowerFigures {
  std::int32_t voltage = 0;  // mV
  std::int32_t current = 0;  // mA, signed
  std::int32_t watt = 0;     // mW: |V x I / 1000|
  std::int32_t runTime = 0;  // min: 95 % of |R x 60 / I| while discharging, else 0

  bool operator==(const PowerFigures&) const = default;
};

struct PowerWizFigures {
  PowerFigures s3;
  PowerFigures d3;
};

// 32-bit signed integer arithmetic, every division truncating toward zero.
PowerFigures ComputePowerFigures(std::int32_t voltage, std::int32_t current,
                                 std::int32_t remainingCapacity);

// S3 from the S3 readings, D3 from the D3 readings, both with battery 1's remaining capacity.
PowerWizFigures ComputePowerWizFigures(const PowerWizData& data);

}  // namespace powerwiz
