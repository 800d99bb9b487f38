// System-wide named mutexes: one lock file per name in the per-user runtime directory, locked
// with flock. The kernel drops the lock when the holder exits or dies, so a crashed process
// never keeps the name taken. Lock files are never deleted: deleting one would let two
// processes lock two different files of the same name.
#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

namespace os {

class NamedMutex {
 public:
  // Opens (creating when needed) the lock file of the name; IsOpen() tells whether that worked.
  explicit NamedMutex(std::string_view name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // Takes the mutex when nobody holds it. Two NamedMutex objects of one name exclude each other
  // also inside one process.
  bool TryLock();
  // Waits at most `timeout`; false when it could not be taken in time.
  bool LockFor(std::chrono::milliseconds timeout);
  void Unlock();
  bool IsLocked() const { return locked_; }

  // $XDG_RUNTIME_DIR/packwatch-<name>.lock, or /tmp/packwatch-<uid>-<name>.lock when that variable
  // does not name an existing absolute folder.
  static std::filesystem::path LockFilePath(std::string_view name);

 private:
  int fd_ = -1;
  bool locked_ = false;
};

}  // namespace os
