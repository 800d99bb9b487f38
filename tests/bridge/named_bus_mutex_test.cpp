// The named bus mutex: where its lock file lives, that it is a real flock other processes see,
// that threads of one process and a forked child are excluded too, and that it never follows a
// link planted at its path.
#include "bridge/named_bus_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace {

using bridge::NamedBusMutex;
using bridge::NamedLockPath;
using namespace std::chrono_literals;

// Points XDG_RUNTIME_DIR at a private folder for the test and restores it afterwards.
class NamedBusMutexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
    char pattern[] = "/tmp/bridge-mutex-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (saved_) setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(dir_);
  }

  // Another open file description of the lock file, as a second process would have.
  int OpenOther(const std::string& name) const {
    return open(NamedLockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  }

  std::string dir_;
  std::optional<std::string> saved_;
};

TEST_F(NamedBusMutexTest, LockFileLivesInTheRuntimeFolderElseInTmpWithTheUserId) {
  EXPECT_EQ(NamedLockPath("InitTesselMutex"), dir_ + "/packwatch-InitTesselMutex.lock");
  const std::string fallback = "/tmp/packwatch-" + std::to_string(getuid()) + "-InitTesselMutex.lock";
  for (const char* value : {"", "relative/run", "/nonexistent/runtime/dir"}) {
    setenv("XDG_RUNTIME_DIR", value, 1);
    EXPECT_EQ(NamedLockPath("InitTesselMutex"), fallback) << "XDG_RUNTIME_DIR=" << value;
  }
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(NamedLockPath("InitTesselMutex"), fallback);
}

TEST_F(NamedBusMutexTest, HolderElsewhereMakesTheWaitTimeOutAndIsSeenHolding) {
  NamedBusMutex mutex("BusA");
  const int other = OpenOther("BusA");
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(mutex.Acquire(30ms));
  ASSERT_EQ(flock(other, LOCK_UN), 0);

  ASSERT_TRUE(mutex.Acquire(30ms));
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);  // the mutex holds the file lock itself
  mutex.Release();
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
  EXPECT_TRUE(std::filesystem::exists(NamedLockPath("BusA")));  // never removed
}

TEST_F(NamedBusMutexTest, ThreadsOfOneProcessExcludeEachOther) {
  NamedBusMutex mutex("BusB");
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> failures{0};
  auto worker = [&] {
    for (int i = 0; i < 2000; ++i) {
      if (!mutex.Acquire(5000ms)) {
        ++failures;
        continue;
      }
      if (inside.fetch_add(1) != 0) ++overlaps;
      std::this_thread::yield();
      inside.fetch_sub(1);
      mutex.Release();
    }
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(failures.load(), 0);
}

// A child forked after the mutex was opened must not share the parent's lock.
TEST_F(NamedBusMutexTest, ForkedChildTakesItsOwnLock) {
  NamedBusMutex mutex("BusC");
  int toParent[2], toChild[2];
  ASSERT_EQ(pipe(toParent), 0);
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char byte = mutex.Acquire(1000ms) ? 'H' : 'F';
    if (write(toParent[1], &byte, 1) != 1) _exit(2);
    if (read(toChild[0], &byte, 1) != 1) _exit(3);
    mutex.Release();
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(read(toParent[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'H');
  EXPECT_FALSE(mutex.Acquire(50ms));  // the child holds it
  const char go = 'g';
  ASSERT_EQ(write(toChild[1], &go, 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(mutex.Acquire(1000ms));
  mutex.Release();
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

TEST_F(NamedBusMutexTest, LinkPlantedAtTheLockPathIsNotFollowed) {
  const std::string target = dir_ + "/elsewhere";
  ASSERT_EQ(symlink(target.c_str(), NamedLockPath("BusD").c_str()), 0);
  NamedBusMutex mutex("BusD");
  EXPECT_FALSE(mutex.Acquire(30ms));
  EXPECT_FALSE(std::filesystem::exists(target));
  // The process lock is given back after a failed wait: a later attempt does not hang.
  EXPECT_FALSE(mutex.Acquire(30ms));
}

TEST_F(NamedBusMutexTest, FolderAtTheLockPathIsRefused) {
  ASSERT_EQ(mkdir(NamedLockPath("BusE").c_str(), 0700), 0);
  NamedBusMutex mutex("BusE");
  EXPECT_FALSE(mutex.Acquire(30ms));
}

}  // namespace
