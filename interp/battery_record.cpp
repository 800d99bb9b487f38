#include "interp/battery_record.h"

#include "interp/health_verdict.h"

namespace interp {
namespace {

constexpr std::uint32_t kThrottleLimit = 65535;

// The fields Publish() never takes from the worker's copy.
struct PanelOwned {
  std::uint16_t throttleOnCurrent;
  std::uint16_t throttleOffCurrent;
  std::uint16_t throttleOnWritten;
  std::uint16_t throttleOffWritten;
  std::uint16_t throttleOnShown;
  std::uint16_t throttleOffShown;
  std::vector<BatteryHealthItem> healthTable;
  std::optional<BatteryHealthItem> healthEntry;
  bool healthCheckEnabled;
  int index;

  static PanelOwned TakeFrom(BatteryInfo& info) {
    return {info.throttleOnCurrent, info.throttleOffCurrent, info.throttleOnWritten,
            info.throttleOffWritten, info.throttleOnShown, info.throttleOffShown,
            std::move(info.healthTable), std::move(info.healthEntry), info.healthCheckEnabled,
            info.index};
  }

  void RestoreInto(BatteryInfo& info) && {
    info.throttleOnCurrent = throttleOnCurrent;
    info.throttleOffCurrent = throttleOffCurrent;
    info.throttleOnWritten = throttleOnWritten;
    info.throttleOffWritten = throttleOffWritten;
    info.throttleOnShown = throttleOnShown;
    info.throttleOffShown = throttleOffShown;
    info.healthTable = std::move(healthTable);
    info.healthEntry = std::move(healthEntry);
    info.healthCheckEnabled = healthCheckEnabled;
    info.index = index;
  }
};

bool Request(std::uint32_t milliamps, std::uint16_t& word, std::uint16_t& shown) {
  if (milliamps >= kThrottleLimit) return false;
  word = static_cast<std::uint16_t>(kThrottleLimit - milliamps);
  shown = static_cast<std::uint16_t>(milliamps);
  return true;
}

}  // namespace

BatteryInfo BatteryRecord::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return info_;
}

void BatteryRecord::Publish(BatteryInfo refreshed) {
  std::lock_guard<std::mutex> lock(mutex_);
  PanelOwned kept = PanelOwned::TakeFrom(info_);
  info_ = std::move(refreshed);
  std::move(kept).RestoreInto(info_);
}

void BatteryRecord::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  ResetBatteryInfo(info_);
}

BatteryRecord::ThrottleWrites BatteryRecord::TakeThrottleWrites() {
  std::lock_guard<std::mutex> lock(mutex_);
  ThrottleWrites writes;
  if (info_.throttleOnWritten != info_.throttleOnCurrent) {
    info_.throttleOnWritten = info_.throttleOnCurrent;
    writes.on = info_.throttleOnCurrent;
  }
  if (info_.throttleOffWritten != info_.throttleOffCurrent) {
    info_.throttleOffWritten = info_.throttleOffCurrent;
    writes.off = info_.throttleOffCurrent;
  }
  return writes;
}

void BatteryRecord::InitThrottleSetPoints(std::uint16_t onWord, std::uint16_t offWord) {
  std::lock_guard<std::mutex> lock(mutex_);
  info_.throttleOnCurrent = info_.throttleOnWritten = onWord;
  info_.throttleOffCurrent = info_.throttleOffWritten = offWord;
  info_.throttleOnShown = ThrottleWordAsShown(onWord);
  info_.throttleOffShown = ThrottleWordAsShown(offWord);
}

bool BatteryRecord::RequestThrottleOn(std::uint32_t milliamps) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Request(milliamps, info_.throttleOnCurrent, info_.throttleOnShown);
}

bool BatteryRecord::RequestThrottleOff(std::uint32_t milliamps) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Request(milliamps, info_.throttleOffCurrent, info_.throttleOffShown);
}

void BatteryRecord::SetHealthCheckEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  info_.healthCheckEnabled = enabled;
}

void BatteryRecord::SetHealthTable(std::vector<BatteryHealthItem> table) {
  std::lock_guard<std::mutex> lock(mutex_);
  info_.healthTable = std::move(table);
}

int BatteryRecord::HealthVerdict() {
  std::lock_guard<std::mutex> lock(mutex_);
  return GetHealthVerdict(info_);
}

std::wstring BatteryRecord::HealthText() {
  std::lock_guard<std::mutex> lock(mutex_);
  return GetHealthText(info_);
}

std::int32_t BatteryRecord::HealthThreshold() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return info_.healthEntry ? info_.healthEntry->threshold : MatchHealthItem(info_).threshold;
}

}  // namespace interp
