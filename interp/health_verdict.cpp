#include "interp/health_verdict.h"

namespace interp {
namespace {

bool Matches(const BatteryHealthItem& item, const BatteryInfo& info) {
  if (item.key == L"chemistry[0]") {
    return item.value.size() == 1 && !info.deviceChemistry.empty() &&
           item.value[0] == info.deviceChemistry[0];
  }
  if (item.key == L"devicename") return item.value == info.deviceName;
  return false;
}

}  // namespace

const BatteryHealthItem& MatchHealthItem(const BatteryInfo& info) {
  for (const BatteryHealthItem& item : info.healthTable) {
    if (Matches(item, info)) return item;
  }
  return DefaultHealthItem();
}

int GetHealthVerdict(BatteryInfo& info) {
  if (!info.healthCheckEnabled || !info.present) return -1;
  if (!info.healthEntry) info.healthEntry = MatchHealthItem(info);
  const bool pass = static_cast<std::int32_t>(info.cycleCount) > info.healthEntry->threshold ||
                    info.lifeCapacity >= 70;
  return pass ? 1 : 0;
}

std::wstring GetHealthText(BatteryInfo& info) {
  if (!info.present) return L"Battery is not attached";
  if (info.acPresent && info.chargingCurrent != 0) return L"Charging Battery";
  switch (GetHealthVerdict(info)) {
    case -1: return L"Unsupport";
    case 0: return L"FAIL";
    default: return L"PASS";
  }
}

}  // namespace interp
