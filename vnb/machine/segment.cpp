#include "vnb/machine/segment.h"

#include "vnb/machine/notebook.h"
#include "vnb/machine/profiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>

namespace vnb {
namespace {

constexpr std::size_t kSegmentSize = sizeof(MachineState);
constexpr int kAttachWaitMs = 3000;  // bounded wait for another process's set-up

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool InitialiseMutex(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attr;
  if (pthread_mutexattr_init(&attr) != 0) return false;
  bool ok = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
            pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
            pthread_mutex_init(mutex, &attr) == 0;
  pthread_mutexattr_destroy(&attr);
  return ok;
}

// Takes the segment file's lock, polling for at most `waitMs`. A creator holds it until its
// segment is initialised; processes replacing a stale segment take turns through it.
bool LockSegmentFile(int fd, int waitMs) {
  for (int waited = 0;; waited += 5) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (waited >= waitMs) return false;
    SleepMs(5);
  }
}

bool SameFile(int a, int b) {
  struct stat x {};
  struct stat y {};
  return fstat(a, &x) == 0 && fstat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// True when the segment behind fd is a fully set-up machine of this layout. Only the header is
// mapped, and only once the file is large enough to hold it.
bool IsCurrentMachine(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) != kSegmentSize) return false;
  void* memory = mmap(nullptr, sizeof(SegmentHeader), PROT_READ, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) return false;
  const auto* header = static_cast<const SegmentHeader*>(memory);
  const bool current = header->initialised.load(std::memory_order_acquire) == kInitialisedMagic &&
                       header->layoutVersion == kLayoutVersion && header->size == kSegmentSize;
  munmap(memory, sizeof(SegmentHeader));
  return current;
}

// Removes the name of the stale segment behind staleFd (and closes it), unless its creator is
// still setting it up, it has become usable meanwhile, or another process has already replaced
// it: the name is removed only while it still refers to this very segment.
void RemoveStale(const std::string& name, int staleFd) {
  if (LockSegmentFile(staleFd, kAttachWaitMs) && !IsCurrentMachine(staleFd)) {
    const int current = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0600);
    if (current >= 0) {
      if (SameFile(staleFd, current)) shm_unlink(name.c_str());
      close(current);
    }
  }
  close(staleFd);  // releases the lock
}

enum class AttachResult { kOk, kStale, kRetry, kFailed };

// Maps an existing segment once its creator has sized and initialised it. A stale segment
// (dead creator, other layout) comes back open in *staleFd for RemoveStale.
AttachResult AttachExisting(const std::string& name, MachineState** out, std::string* error, int* staleFd) {
  int fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == ENOENT) return AttachResult::kRetry;  // removed meanwhile: create afresh
    *error = Reason("cannot open the virtual notebook's shared memory");
    return AttachResult::kFailed;
  }
  struct stat info {};
  int waited = 0;
  while (true) {
    if (fstat(fd, &info) != 0) {
      *error = Reason("cannot inspect the virtual notebook's shared memory");
      close(fd);
      return AttachResult::kFailed;
    }
    if (static_cast<std::size_t>(info.st_size) >= sizeof(SegmentHeader)) break;
    if (waited >= kAttachWaitMs) {
      *staleFd = fd;
      return AttachResult::kStale;  // its creator died before sizing it
    }
    SleepMs(5);
    waited += 5;
  }
  if (static_cast<std::size_t>(info.st_size) != kSegmentSize) {
    *staleFd = fd;
    return AttachResult::kStale;  // another layout
  }
  void* memory = mmap(nullptr, kSegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    *error = Reason("cannot map the virtual notebook's shared memory");
    close(fd);
    return AttachResult::kFailed;
  }
  auto* state = static_cast<MachineState*>(memory);
  while (state->header.initialised.load(std::memory_order_acquire) != kInitialisedMagic) {
    if (waited >= kAttachWaitMs) {
      munmap(memory, kSegmentSize);
      *staleFd = fd;
      return AttachResult::kStale;  // its creator died while setting it up, or is stuck
    }
    SleepMs(5);
    waited += 5;
  }
  if (state->header.layoutVersion != kLayoutVersion || state->header.size != kSegmentSize) {
    munmap(memory, kSegmentSize);
    *staleFd = fd;
    return AttachResult::kStale;
  }
  close(fd);
  *out = state;
  return AttachResult::kOk;
}

enum class CreateResult { kCreated, kExists, kFailed };

// Creates the segment exclusively and sets it up.
CreateResult CreateNew(const std::string& name, MachineState** out, std::string* error) {
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return CreateResult::kExists;
    *error = Reason("cannot create the virtual notebook's shared memory");
    return CreateResult::kFailed;
  }
  // Held until the machine is set up (the kernel drops it if this process dies), so that a
  // process tired of waiting never removes a segment whose creator is still at work.
  flock(fd, LOCK_EX | LOCK_NB);
  if (ftruncate(fd, static_cast<off_t>(kSegmentSize)) != 0) {
    *error = Reason("cannot size the virtual notebook's shared memory");
    close(fd);
    shm_unlink(name.c_str());
    return CreateResult::kFailed;
  }
  void* memory = mmap(nullptr, kSegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    *error = Reason("cannot map the virtual notebook's shared memory");
    shm_unlink(name.c_str());
    close(fd);
    return CreateResult::kFailed;
  }
  // The fresh mapping is zero-filled; the flag is set last so that nobody sees a half machine.
  auto* state = static_cast<MachineState*>(memory);
  new (&state->header.initialised) std::atomic<std::uint32_t>(0);
  state->header.layoutVersion = kLayoutVersion;
  state->header.size = kSegmentSize;
  if (!InitialiseMutex(&state->header.mutex)) {
    *error = "cannot set up the virtual notebook's lock";
    munmap(memory, kSegmentSize);
    shm_unlink(name.c_str());
    close(fd);
    return CreateResult::kFailed;
  }
  state->clock.speed = 1.0;
  ResetMachine(*state, kDefaultProfile);
  state->header.initialised.store(kInitialisedMagic, std::memory_order_release);
  close(fd);  // releases the file lock
  *out = state;
  return CreateResult::kCreated;
}

}  // namespace

Segment::~Segment() { munmap(state_, kSegmentSize); }

std::string Segment::DefaultName() { return "/packwatch-vnb-" + std::to_string(getuid()); }

std::string Segment::NameFromEnvironment() {
  const char* value = std::getenv("PACKWATCH_VNB");
  if (value == nullptr || *value == '\0') return DefaultName();
  std::string name = value;
  if (name.front() != '/') name.insert(name.begin(), '/');
  return name;
}

bool Segment::IsValidName(const std::string& name) {
  return name.size() >= 2 && name.size() <= 201 && name.front() == '/' &&
         name.find('/', 1) == std::string::npos;
}

std::unique_ptr<Segment> Segment::Open(const std::string& name, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  if (!IsValidName(name)) {
    *error = "invalid virtual notebook name \"" + name + "\"";
    return nullptr;
  }
  // A few rounds: a stale segment (dead creator, other layout) is replaced, by one process only,
  // and the others then attach to the replacement.
  for (int round = 0; round < 4; ++round) {
    MachineState* state = nullptr;
    CreateResult created = CreateNew(name, &state, error);
    if (created == CreateResult::kCreated) return std::unique_ptr<Segment>(new Segment(name, state));
    if (created == CreateResult::kFailed) return nullptr;
    int staleFd = -1;
    switch (AttachExisting(name, &state, error, &staleFd)) {
      case AttachResult::kOk:
        return std::unique_ptr<Segment>(new Segment(name, state));
      case AttachResult::kFailed:
        return nullptr;
      case AttachResult::kStale:
        RemoveStale(name, staleFd);
        break;
      case AttachResult::kRetry:
        break;
    }
  }
  *error = "the virtual notebook \"" + name + "\" could not be set up";
  return nullptr;
}

bool Segment::Remove(const std::string& name) { return shm_unlink(name.c_str()) == 0; }

void Segment::Lock() {
  int rc = pthread_mutex_lock(&state_->header.mutex);
  if (rc == EOWNERDEAD) {
    // The holder died mid-call; every update keeps the state usable, so carry on with it.
    pthread_mutex_consistent(&state_->header.mutex);
  }
}

void Segment::Unlock() { pthread_mutex_unlock(&state_->header.mutex); }

}  // namespace vnb
