// A mutex shared by every process of the user under one name: an flock on a lock file in the
// per-user runtime directory, plus a process mutex because flock belongs to an open file
// description and so cannot tell the threads of one process apart. The kernel drops the flock
// when its holder dies; the file itself is never removed, so every process locks the same inode.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "bridge/bus_lock.h"

namespace bridge {

// "$XDG_RUNTIME_DIR/packwatch-<name>.lock" when that variable names an existing absolute folder,
// else "/tmp/packwatch-<uid>-<name>.lock" (the naming of the program's own named mutexes).
std::string NamedLockPath(const std::string& name);

class NamedBusMutex final : public BusLock {
 public:
  explicit NamedBusMutex(std::string name);
  ~NamedBusMutex() override;
  NamedBusMutex(const NamedBusMutex&) = delete;
  NamedBusMutex& operator=(const NamedBusMutex&) = delete;

  bool Acquire(std::chrono::milliseconds timeout) override;
  void Release() override;

 private:
  // Opens the lock file unless this process already has it open; a forked child opens its own,
  // since the description it inherited is shared with the parent's lock.
  bool EnsureOpen();
  void EndTurn();

  std::string name_;
  // The threads of this process take turns through `busy_`; the holder alone touches the file.
  std::mutex turn_;
  std::condition_variable turnFree_;
  bool busy_ = false;
  int fd_ = -1;
  pid_t opener_ = -1;
};

}  // namespace bridge
