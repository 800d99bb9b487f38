#include "vnb/machine/segment.h"

#include "vnb/machine/notebook.h"
#include "vnb/machine/profiles.h"

#include <fcntl.h>
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

enum class AttachResult { kOk, kStale, kFailed };

// Maps an existing segment once its creator has sized and initialised it.
AttachResult AttachExisting(const std::string& name, MachineState** out, std::string* error) {
  int fd = shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == ENOENT) return AttachResult::kStale;  // removed meanwhile: create afresh
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
      close(fd);
      return AttachResult::kStale;  // its creator died before sizing it
    }
    SleepMs(5);
    waited += 5;
  }
  if (static_cast<std::size_t>(info.st_size) != kSegmentSize) {
    close(fd);
    return AttachResult::kStale;  // another layout
  }
  void* memory = mmap(nullptr, kSegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (memory == MAP_FAILED) {
    *error = Reason("cannot map the virtual notebook's shared memory");
    return AttachResult::kFailed;
  }
  auto* state = static_cast<MachineState*>(memory);
  while (state->header.initialised.load(std::memory_order_acquire) != kInitialisedMagic) {
    if (waited >= kAttachWaitMs) {
      munmap(memory, kSegmentSize);
      return AttachResult::kStale;  // its creator died while setting it up
    }
    SleepMs(5);
    waited += 5;
  }
  if (state->header.layoutVersion != kLayoutVersion || state->header.size != kSegmentSize) {
    munmap(memory, kSegmentSize);
    return AttachResult::kStale;
  }
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
  if (ftruncate(fd, static_cast<off_t>(kSegmentSize)) != 0) {
    *error = Reason("cannot size the virtual notebook's shared memory");
    close(fd);
    shm_unlink(name.c_str());
    return CreateResult::kFailed;
  }
  void* memory = mmap(nullptr, kSegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (memory == MAP_FAILED) {
    *error = Reason("cannot map the virtual notebook's shared memory");
    shm_unlink(name.c_str());
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
    return CreateResult::kFailed;
  }
  state->clock.speed = 1.0;
  ResetMachine(*state, kDefaultProfile);
  state->header.initialised.store(kInitialisedMagic, std::memory_order_release);
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
  // Two rounds: a stale segment (dead creator, other layout) is replaced once.
  for (int round = 0; round < 2; ++round) {
    MachineState* state = nullptr;
    CreateResult created = CreateNew(name, &state, error);
    if (created == CreateResult::kCreated) return std::unique_ptr<Segment>(new Segment(name, state));
    if (created == CreateResult::kFailed) return nullptr;
    switch (AttachExisting(name, &state, error)) {
      case AttachResult::kOk:
        return std::unique_ptr<Segment>(new Segment(name, state));
      case AttachResult::kFailed:
        return nullptr;
      case AttachResult::kStale:
        shm_unlink(name.c_str());
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
