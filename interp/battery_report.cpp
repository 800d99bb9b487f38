#include "interp/battery_report.h"

#include "interp/health_verdict.h"
#include "interp/number_text.h"

namespace interp {
namespace {

std::wstring Decimal(std::int32_t value) { return FormatNumber(value, 10); }

std::wstring YesNo(bool flag) { return flag ? L"Yes" : L"No"; }

}  // namespace

std::wstring BuildBatteryReport(BatteryInfo& info) {
  std::wstring out = FormatNumber(info.index, 10, "[ Battery %d Attach : ");
  out += info.present ? L"Yes ]" : L"No ]";
  if (!info.present) return out;

  // Battery texts are appended as they are; only the program's own formats go through printf.
  out += L"\n\nManufacture Name : ";
  out += info.manufacturerName;
  out += FormatNumber(info.serialNumber, 10, "\nSerial number : %04X");
  out += L"\nDevice Chemistry : ";
  out += info.deviceChemistry;
  out += L"\nDevice Name : ";
  out += info.deviceName;
  out += L"\nStatus : " + FormatWord(info.batteryStatus);
  out += L"\nMode : " + FormatWord(info.batteryMode);
  out += L"\n\nBattery1 status : " + GetHealthText(info);
  out += FormatNumber(info.relativeStateOfCharge, 10, "\nPercentage (RSOC) : %02d %%");
  out += FormatNumber(info.absoluteStateOfCharge, 10, "\nPercentage (ASOC) : %02d %%");
  out += L"\nCharge : " + YesNo(info.charging);
  out += L"\nAC In : " + YesNo(info.acPresent);
  out += L"\nTemperature : " + FormatFixed2(info.temperature) + L" C";
  out += L"\nVoltage : " + Decimal(info.voltage) + L" mV";
  out += L"\nCurrent : " + Decimal(info.current) + L" mA";
  out += L"\nAverage Current : " + Decimal(info.averageCurrent) + L" mA";
  out += L"\nMax Error : " + Decimal(info.maxError);
  out += L"\nRemaining Capacity : " + Decimal(info.remainingCapacity) + L" mAh";
  out += L"\nFull Charge Capacity : " + Decimal(info.fullChargeCapacity) + L" mAh";
  out += L"\nRun Time To Empty : " + Decimal(info.runTimeToEmpty) + L" min";
  out += L"\nCharging Current : " + Decimal(info.chargingCurrent) + L" mA";
  out += L"\nCharging Voltage : " + Decimal(info.chargingVoltage) + L" mV";
  out += L"\nCycle Count : " + Decimal(info.cycleCount);
  out += L"\nDesign Capacity : " + Decimal(info.designCapacity) + L" mAh";
  out += L"\nDesign Voltage : " + Decimal(info.designVoltage) + L" mV";
  out += L"\nMax discharge current : " + Decimal(info.throttleCurrentLimit) + L" mA";
  out += L"\nThrottle Over Temperature : " + Decimal(info.throttleTemperature) + L" C";
  out += L"\nVery Low threshold voltage : " + FormatFixed2(info.veryLowVoltage) + L" V";
  out += L"\nSP Pack : ";
  out += info.packConfigText;
  out += L"\nLife Cap : " + Decimal(info.lifeCapacity) + L" %";
  // The set-points as the panel's edits show them (mA), not the stored words.
  out += L"\n-Throttle ON : " + Decimal(info.throttleOnShown) + L" mA";
  out += L"\n-Throttle OFF : " + Decimal(info.throttleOffShown) + L" mA";
  for (std::size_t cell = 0; cell < info.cellVoltage.size(); ++cell) {
    out += FormatNumber(static_cast<std::int32_t>(cell + 1), 10, "\nCell Voltage %d : ");
    out += Decimal(info.cellVoltage[cell]) + L" mV";
  }
  return out;
}

}  // namespace interp
