#include "os/named_object.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>

namespace os {

std::filesystem::path NamedMutex::LockFilePath(std::string_view name) {
  const std::string file(name);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  // A runtime folder that is gone (left over from another login) would make every named object
  // fail; the /tmp name is then used, as the bridge library does for its bus mutex.
  struct stat folder {};
  if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &folder) == 0 && S_ISDIR(folder.st_mode)) {
    return std::filesystem::path(runtime) / ("packwatch-" + file + ".lock");
  }
  return std::filesystem::path("/tmp") /
         ("packwatch-" + std::to_string(getuid()) + "-" + file + ".lock");
}

NamedMutex::NamedMutex(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return;
  const std::filesystem::path path = LockFilePath(name);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  // In the shared /tmp fallback another user could have created the file to hold our lock.
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
    close(fd);
    return;
  }
  fd_ = fd;
}

NamedMutex::~NamedMutex() {
  if (fd_ >= 0) close(fd_);
}

bool NamedMutex::TryLock() {
  if (fd_ < 0) return false;
  if (locked_) return true;
  while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  locked_ = true;
  return true;
}

bool NamedMutex::LockFor(std::chrono::milliseconds timeout) {
  // A huge timeout ("no limit") would overflow the deadline into the past: held at a century.
  constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24 * 365 * 100);
  const auto deadline = std::chrono::steady_clock::now() + std::min(timeout, kLongestWait);
  for (;;) {
    if (TryLock()) return true;
    if (fd_ < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void NamedMutex::Unlock() {
  if (fd_ >= 0 && locked_) flock(fd_, LOCK_UN);
  locked_ = false;
}

}  // namespace os
