#include "bridge/named_bus_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

namespace bridge {

std::string NamedLockPath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    struct stat folder {};
    if (stat(runtime, &folder) == 0 && S_ISDIR(folder.st_mode)) {
      return std::string(runtime) + "/packwatch-" + name + ".lock";
    }
  }
  return "/tmp/packwatch-" + std::to_string(getuid()) + "-" + name + ".lock";
}

NamedBusMutex::NamedBusMutex(std::string name) : name_(std::move(name)) { EnsureOpen(); }

NamedBusMutex::~NamedBusMutex() {
  if (fd_ >= 0) close(fd_);
}

bool NamedBusMutex::EnsureOpen() {
  const pid_t self = getpid();
  if (fd_ >= 0 && opener_ == self) return true;
  if (fd_ >= 0) {
    close(fd_);  // the inherited description; the parent's lock is untouched
    fd_ = -1;
  }
  const std::string path = NamedLockPath(name_);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  // A lock file planted by someone else, or anything but a plain file, is not ours to use.
  struct stat file {};
  if (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode) || file.st_uid != getuid()) {
    close(fd);
    return false;
  }
  fd_ = fd;
  opener_ = self;
  return true;
}

bool NamedBusMutex::Acquire(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + timeout;
  {
    std::unique_lock<std::mutex> lock(turn_);
    if (!turnFree_.wait_until(lock, deadline, [this] { return !busy_; })) return false;
    busy_ = true;
  }
  if (EnsureOpen()) {
    // flock has no timed form: poll without blocking, backing off up to 2 ms between tries.
    auto pause = std::chrono::microseconds(20);
    for (;;) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
      if (errno != EWOULDBLOCK && errno != EINTR) break;
      const Clock::time_point now = Clock::now();
      if (now >= deadline) break;
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
      pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
  }
  EndTurn();
  return false;
}

void NamedBusMutex::Release() {
  if (fd_ >= 0) flock(fd_, LOCK_UN);
  EndTurn();
}

void NamedBusMutex::EndTurn() {
  {
    std::lock_guard<std::mutex> lock(turn_);
    busy_ = false;
  }
  turnFree_.notify_one();
}

}  // namespace bridge
