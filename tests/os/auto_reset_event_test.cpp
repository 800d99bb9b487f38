#include "os/auto_reset_event.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, OneSetReleasesOneWait) {
  os::AutoResetEvent event;
  EXPECT_FALSE(event.WaitFor(0ms));
  event.Set();
  event.Set();  // not counted: still one wake-up
  EXPECT_TRUE(event.WaitFor(0ms));
  EXPECT_FALSE(event.WaitFor(10ms));
}

TEST(AutoResetEvent, SetFromAnotherThreadWakesTheWaiter) {
  os::AutoResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(10ms);
    event.Set();
  });
  EXPECT_TRUE(event.WaitFor(10s));
  setter.join();
}

// A caller that means "no limit" passes the largest timeout; the deadline must not overflow
// into the past and end the wait at once.
TEST(AutoResetEvent, LargestTimeoutWaitsForTheSet) {
  os::AutoResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    event.Set();
  });
  EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds::max()));
  setter.join();
}

TEST(AutoResetEvent, WaitForAnyTakesTheLowestSignalledOnly) {
  os::AutoResetEvent refresh;
  os::AutoResetEvent stop;
  const std::array<os::AutoResetEvent*, 2> events = {&refresh, &stop};
  EXPECT_EQ(os::AutoResetEvent::WaitForAny(events, 5ms), -1);
  stop.Set();
  refresh.Set();
  EXPECT_EQ(os::AutoResetEvent::WaitForAny(events, 0ms), 0);
  EXPECT_EQ(os::AutoResetEvent::WaitForAny(events, 0ms), 1);
  EXPECT_EQ(os::AutoResetEvent::WaitForAny(events, 0ms), -1);
}

}  // namespace
