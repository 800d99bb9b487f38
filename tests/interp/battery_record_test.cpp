#include "interp/battery_record.h"

#include "interp/battery_report.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace interp {
namespace {

// What a refresh would read from a pack; the panel-owned fields are deliberately wrong, as in a
// worker copy taken before the panel's latest writes.
BatteryInfo WorkerCopy(BatteryRecord& record, std::uint16_t reading) {
  BatteryInfo copy = record.Snapshot();
  copy.present = true;
  copy.voltage = reading;
  copy.cycleCount = reading;
  copy.manufacturerName = L"Pack-" + std::to_wstring(reading) + std::wstring(40, L'x');
  copy.deviceName = L"PK-" + std::to_wstring(reading);
  copy.throttleOnCurrent = 0xDEAD;
  copy.throttleOffCurrent = 0xBEEF;
  copy.throttleOnWritten = 0x1111;
  copy.throttleOffWritten = 0x2222;
  copy.throttleOnShown = 0x3333;
  copy.throttleOffShown = 0x4444;
  copy.healthTable.clear();
  copy.healthEntry.reset();
  copy.healthCheckEnabled = false;
  copy.index = 7;
  return copy;
}

TEST(BatteryRecordTest, PublishTakesReadingsAndKeepsPanelOwnedFields) {
  BatteryRecord record(2);
  record.SetHealthTable({{L"devicename", L"PK-9", 50}});
  record.InitThrottleSetPoints(65535, 2000);
  ASSERT_TRUE(record.RequestThrottleOn(1000));
  record.SetHealthCheckEnabled(true);
  record.Publish(WorkerCopy(record, 9));
  EXPECT_EQ(record.HealthVerdict(), 0);  // caches the PK-9 row

  record.Publish(WorkerCopy(record, 10));
  const BatteryInfo info = record.Snapshot();
  EXPECT_EQ(info.voltage, 10);
  EXPECT_EQ(info.deviceName, L"PK-10");
  EXPECT_TRUE(info.present);
  EXPECT_EQ(info.throttleOnCurrent, 64535);
  EXPECT_EQ(info.throttleOnWritten, 65535);
  EXPECT_EQ(info.throttleOnShown, 1000);
  EXPECT_EQ(info.throttleOffCurrent, 2000);
  EXPECT_EQ(info.throttleOffWritten, 2000);
  EXPECT_EQ(info.throttleOffShown, 2000);
  ASSERT_EQ(info.healthTable.size(), 1u);
  ASSERT_TRUE(info.healthEntry.has_value());
  EXPECT_EQ(info.healthEntry->threshold, 50);  // kept although the name changed
  EXPECT_TRUE(info.healthCheckEnabled);
  EXPECT_EQ(info.index, 2);
}

TEST(BatteryRecordTest, ResetForgetsTheMatchAndTheSetPointsButNotTheTable) {
  BatteryRecord record(1);
  record.SetHealthTable({{L"devicename", L"PK-3", 2}});
  record.SetHealthCheckEnabled(true);
  record.InitThrottleSetPoints(100, 200);
  record.Publish(WorkerCopy(record, 3));
  EXPECT_EQ(record.HealthVerdict(), 1);
  EXPECT_EQ(record.HealthThreshold(), 2);

  record.Reset();
  BatteryInfo info = record.Snapshot();
  EXPECT_FALSE(info.present);
  EXPECT_EQ(info.manufacturerName, L"NA");
  EXPECT_FALSE(info.healthEntry.has_value());
  EXPECT_EQ(info.throttleOnCurrent, 0);
  EXPECT_EQ(info.throttleOnWritten, 0);
  EXPECT_EQ(info.healthTable.size(), 1u);
  EXPECT_EQ(record.HealthText(), L"Battery is not attached");
  EXPECT_EQ(record.HealthVerdict(), -1);
  EXPECT_FALSE(record.Snapshot().healthEntry.has_value());
  // Nothing to send after a reset: words and copies are both zero.
  EXPECT_FALSE(record.TakeThrottleWrites().on.has_value());
  // Without a match the pop-up's threshold comes from an uncached lookup.
  EXPECT_EQ(record.HealthThreshold(), 300);
  EXPECT_FALSE(record.Snapshot().healthEntry.has_value());
}

TEST(BatteryRecordTest, ThrottleRequestsAreSentOnceAndRefusedFrom65535) {
  BatteryRecord record(1);
  record.InitThrottleSetPoints(65535, 65535);
  EXPECT_EQ(record.Snapshot().throttleOnShown, 0);
  auto writes = record.TakeThrottleWrites();
  EXPECT_FALSE(writes.on.has_value());
  EXPECT_FALSE(writes.off.has_value());

  EXPECT_TRUE(record.RequestThrottleOn(0));
  EXPECT_TRUE(record.RequestThrottleOff(1000));
  writes = record.TakeThrottleWrites();
  EXPECT_FALSE(writes.on.has_value());  // 65535 - 0 is the word already read: nothing to send
  EXPECT_EQ(record.Snapshot().throttleOnShown, 0);
  EXPECT_EQ(writes.off, std::optional<std::uint16_t>(64535));
  writes = record.TakeThrottleWrites();
  EXPECT_FALSE(writes.off.has_value());

  EXPECT_TRUE(record.RequestThrottleOn(65534));
  EXPECT_FALSE(record.RequestThrottleOn(65535));
  EXPECT_FALSE(record.RequestThrottleOn(4294967295u));
  const BatteryInfo info = record.Snapshot();
  EXPECT_EQ(info.throttleOnCurrent, 1);
  EXPECT_EQ(info.throttleOnShown, 65534);
  writes = record.TakeThrottleWrites();
  EXPECT_EQ(writes.on, std::optional<std::uint16_t>(1));
}

TEST(BatteryRecordTest, WithLockRunsOnTheRecordItself) {
  BatteryRecord record(2);
  const std::wstring report = record.WithLock(BuildBatteryReport);
  EXPECT_EQ(report, L"[ Battery 2 Attach : No ]");
  record.WithLock([](BatteryInfo& info) { info.acSourceFlag = 1; });
  EXPECT_EQ(record.Snapshot().acSourceFlag, 1);
}

// The worker publishes whole copies while the panel writes requests and reads: every snapshot
// is one published reading, and no panel write is lost to a publish.
TEST(BatteryRecordTest, WorkerAndPanelThreadsShareOneRecord) {
  constexpr int kRefreshes = 3000;
  constexpr std::uint32_t kRequests = 3000;
  BatteryRecord record(1);
  record.SetHealthTable({{L"chemistry[0]", L"N", 10}});
  record.InitThrottleSetPoints(65535, 65535);

  std::atomic<bool> panelDone{false};
  std::vector<std::uint16_t> sent;
  std::thread worker([&] {
    for (int n = 1; n <= kRefreshes || !panelDone.load(); ++n) {
      record.Publish(WorkerCopy(record, static_cast<std::uint16_t>(n % 60000 + 1)));
      if (const auto writes = record.TakeThrottleWrites(); writes.on) sent.push_back(*writes.on);
    }
  });

  while (!record.Snapshot().present) std::this_thread::yield();
  int inconsistent = 0;
  for (std::uint32_t i = 1; i <= kRequests; ++i) {
    ASSERT_TRUE(record.RequestThrottleOn(i));
    record.SetHealthCheckEnabled(true);
    record.HealthVerdict();
    const BatteryInfo seen = record.Snapshot();
    if (seen.present &&
        (seen.cycleCount != seen.voltage ||
         seen.manufacturerName != L"Pack-" + std::to_wstring(seen.voltage) + std::wstring(40, L'x') ||
         seen.deviceName != L"PK-" + std::to_wstring(seen.voltage))) {
      ++inconsistent;
    }
  }
  panelDone = true;
  worker.join();

  EXPECT_EQ(inconsistent, 0);
  const BatteryInfo last = record.Snapshot();
  EXPECT_EQ(last.throttleOnCurrent, 65535 - kRequests);
  EXPECT_EQ(last.throttleOnShown, kRequests);
  EXPECT_TRUE(last.healthCheckEnabled);
  EXPECT_EQ(last.healthTable.size(), 1u);
  EXPECT_EQ(last.index, 1);
  ASSERT_TRUE(last.healthEntry.has_value());
  EXPECT_EQ(last.healthEntry->threshold, 10);  // the reset chemistry "NA" starts with N
  // Every word the worker sent was requested by the panel, the last one is the last request,
  // and words go out in the order requested.
  ASSERT_FALSE(sent.empty());
  const auto finalWrites = record.TakeThrottleWrites();
  const std::uint16_t lastSent = finalWrites.on ? *finalWrites.on : sent.back();
  EXPECT_EQ(lastSent, 65535 - kRequests);
  for (std::size_t k = 1; k < sent.size(); ++k) EXPECT_LT(sent[k], sent[k - 1]);
}

}  // namespace
}  // namespace interp
