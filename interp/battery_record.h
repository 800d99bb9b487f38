// BatteryRecord: one BatteryInfo shared between the refresh worker and the user-interface
// thread, guarded by its own lock.
#pragma once

#include "interp/battery_info.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace interp {

// Who writes what:
// - the worker fills a private copy (Snapshot(), then its reads) and publishes it whole with
//   Publish(); a battery found absent is reset in place with Reset();
// - the panel and the start-up own the set-point requests, their written copies (the worker
//   updates those through TakeThrottleWrites()), the health table, the matched health row,
//   the health-check flag and the index; Publish() keeps the record's own values of those, so
//   a panel write made while the worker was reading is never lost.
// Every operation takes the lock for its own duration only; readers get a consistent copy.
class BatteryRecord {
 public:
  explicit BatteryRecord(int index) : info_(index) {}
  BatteryRecord(const BatteryRecord&) = delete;
  BatteryRecord& operator=(const BatteryRecord&) = delete;

  // A consistent copy of the whole record.
  BatteryInfo Snapshot() const;

  // Worker: replaces every field the worker reads from the battery with those of `refreshed`.
  // The panel-owned fields listed above keep the record's current values.
  void Publish(BatteryInfo refreshed);

  // Worker: the battery is gone. ResetBatteryInfo on the record itself (this also clears the
  // set-point words and the matched health row, so a swapped pack starts afresh).
  void Reset();

  // Worker, after its reads: the set-point words that differ from their written copies. Each
  // returned word has already been copied into its written field, so it is handed out once.
  struct ThrottleWrites {
    std::optional<std::uint16_t> on;
    std::optional<std::uint16_t> off;
  };
  ThrottleWrites TakeThrottleWrites();

  // Start-up: the set-points read from the battery become both the requested and the written
  // words, so nothing is sent until the user changes them.
  void InitThrottleSetPoints(std::uint16_t onWord, std::uint16_t offWord);

  // Panel: the user typed `milliamps`. Refused (false, record unchanged) at 65535 or more;
  // otherwise the requested word becomes 65535 - milliamps.
  bool RequestThrottleOn(std::uint32_t milliamps);
  bool RequestThrottleOff(std::uint32_t milliamps);

  void SetHealthCheckEnabled(bool enabled);
  void SetHealthTable(std::vector<BatteryHealthItem> table);

  // GetHealthVerdict / GetHealthText on the record itself, so the cached row lands here.
  int HealthVerdict();
  std::wstring HealthText();

  // The threshold of the matched row; without one the lookup runs without caching.
  std::int32_t HealthThreshold() const;

  // Any other access to the record under its lock. `f` must not call back into this record.
  template <typename F>
  decltype(auto) WithLock(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::forward<F>(f)(info_);
  }

 private:
  mutable std::mutex mutex_;
  BatteryInfo info_;
};

}  // namespace interp
