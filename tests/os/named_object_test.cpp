#include "os/named_object.h"

#include "tests/os/scoped_folders.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ScopedEnv;
using testing_support::TempFolder;

class NamedMutexTest : public ::testing::Test {
 protected:
  TempFolder runtime_;
  ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
};

TEST_F(NamedMutexTest, TwoHoldersOfOneNameExcludeEachOtherInOneProcess) {
  os::NamedMutex first("InitRegStatusInstance");
  os::NamedMutex second("InitRegStatusInstance");
  ASSERT_TRUE(first.IsOpen());
  ASSERT_TRUE(second.IsOpen());
  EXPECT_TRUE(first.TryLock());
  EXPECT_FALSE(second.TryLock());
  os::NamedMutex otherName("SomethingElse");
  EXPECT_TRUE(otherName.TryLock());
  first.Unlock();
  EXPECT_TRUE(second.TryLock());
}

TEST_F(NamedMutexTest, BoundedWaitGivesUpAndSucceedsOnceReleased) {
  os::NamedMutex holder("Bus");
  os::NamedMutex waiter("Bus");
  ASSERT_TRUE(holder.TryLock());
  EXPECT_FALSE(waiter.LockFor(20ms));
  std::thread release([&] {
    std::this_thread::sleep_for(20ms);
    holder.Unlock();
  });
  EXPECT_TRUE(waiter.LockFor(5s));
  release.join();
}

// The largest timeout stands for "no limit": its deadline must not overflow into the past.
TEST_F(NamedMutexTest, LargestTimeoutWaitsForTheRelease) {
  os::NamedMutex holder("Bus");
  os::NamedMutex waiter("Bus");
  ASSERT_TRUE(holder.TryLock());
  std::thread release([&] {
    std::this_thread::sleep_for(20ms);
    holder.Unlock();
  });
  EXPECT_TRUE(waiter.LockFor(std::chrono::milliseconds::max()));
  release.join();
}

TEST_F(NamedMutexTest, LockOfADeadProcessIsReleasedAndTheFileStays) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    os::NamedMutex held("InitRegStatusInstance");
    const char ok = held.TryLock() ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    pause();  // killed below while holding the lock
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');
  os::NamedMutex mine("InitRegStatusInstance");
  EXPECT_FALSE(mine.TryLock());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(mine.TryLock());
  EXPECT_TRUE(std::filesystem::exists(os::NamedMutex::LockFilePath("InitRegStatusInstance")));
  close(ready[0]);
  close(ready[1]);
}

TEST_F(NamedMutexTest, LockFilePlacesAndRefusals) {
  EXPECT_EQ(os::NamedMutex::LockFilePath("X"), runtime_.path() / "packwatch-X.lock");
  // Without a usable runtime folder (unset, relative, or gone, as after a user switch) the lock
  // lives in /tmp under the user id, where the bridge library looks for the same name.
  const auto fallback = std::filesystem::path("/tmp") / ("packwatch-" + std::to_string(getuid()) + "-X.lock");
  for (const char* value : {static_cast<const char*>(nullptr), "relative/run", "/nonexistent-packwatch-run"}) {
    ScopedEnv runtime("XDG_RUNTIME_DIR", value);
    EXPECT_EQ(os::NamedMutex::LockFilePath("X"), fallback) << (value ? value : "(unset)");
  }
  {
    ScopedEnv gone("XDG_RUNTIME_DIR", "/nonexistent-packwatch-run");
    EXPECT_TRUE(os::NamedMutex("X").IsOpen());
    std::filesystem::remove(fallback);  // the test's own lock file; nobody else uses "X"
  }
  // A link planted at the lock file's place is not followed.
  std::filesystem::create_symlink(runtime_.path() / "elsewhere", os::NamedMutex::LockFilePath("Linked"));
  os::NamedMutex linked("Linked");
  EXPECT_FALSE(linked.IsOpen());
  EXPECT_FALSE(linked.TryLock());
  EXPECT_FALSE(std::filesystem::exists(runtime_.path() / "elsewhere"));
  EXPECT_FALSE(os::NamedMutex("a/b").IsOpen());
  EXPECT_FALSE(os::NamedMutex("").IsOpen());
}

}  // namespace
