// The built TesselDll.dll, loaded by path as the program loads it, against a virtual notebook of
// this test process's own: what it exports, the EC found on the I2C profiles, the failure line,
// and the bus mutex "InitTesselMutex" serialising exchanges of two processes.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hw/bridge_library_abi.h"
#include "vnb/hub/hub_ops.h"
#include "vnb/machine/ec_map.h"
#include "vnb/machine/i2c_slave.h"
#include "vnb/machine/machine.h"

namespace {

const std::string kLibraryPath = std::string(PACKWATCH_BIN_DIR) + "/TesselDll.dll";

// The library and its seven exports, bound by name.
struct Tessel {
  void* module = nullptr;
  BridgeGetEcRamFn GetECRAM = nullptr;
  BridgeSetI2cDeviceFn SetI2CDevice = nullptr;
  BridgeReadEcRamFn ReadECRAM = nullptr;
  BridgeWriteEcRamFn WriteECRAM = nullptr;
  BridgeReleaseEcRamFn ReleaseECRAM = nullptr;
  BridgeInitI2cDeviceFn InitI2CDevice = nullptr;
  BridgeGetI2cDeviceFn GetI2CDevice = nullptr;

  bool Load() {
    module = dlopen(kLibraryPath.c_str(), RTLD_NOW);
    if (module == nullptr) return false;
    return Bind(GetECRAM, "GetECRAM") && Bind(SetI2CDevice, "SetI2CDevice") &&
           Bind(ReadECRAM, "ReadECRAM") && Bind(WriteECRAM, "WriteECRAM") &&
           Bind(ReleaseECRAM, "ReleaseECRAM") && Bind(InitI2CDevice, "InitI2CDevice") &&
           Bind(GetI2CDevice, "GetI2CDevice");
  }
  template <typename Fn>
  bool Bind(Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(dlsym(module, name));
    return entry != nullptr;
  }
};

// One machine for the whole test process, named afresh, made before the first test and removed
// after the last: the library attaches to it on first use and stays attached for the process.
class MachineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    name = "bridge-e2e-" + std::to_string(getpid());
    setenv("PACKWATCH_VNB", name.c_str(), 1);
    std::string error;
    machine = vnb::Machine::Open("/" + name, &error);
    ASSERT_NE(machine, nullptr) << error;
    ASSERT_TRUE(tessel.Load()) << dlerror();
  }
  void TearDown() override {
    machine.reset();
    vnb::Segment::Remove("/" + name);
  }

  std::string name;
  std::unique_ptr<vnb::Machine> machine;
  Tessel tessel;
};

MachineEnvironment* const environment = static_cast<MachineEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new MachineEnvironment));

class TesselLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(environment->machine, nullptr);
    ASSERT_NE(environment->tessel.module, nullptr);
    machine_ = environment->machine.get();
    tessel_ = &environment->tessel;
    SelectProfile("i2c");
  }

  void SelectProfile(const char* name) {
    std::string error;
    ASSERT_TRUE(machine_->SelectProfile(name, &error)) << error;
    ASSERT_TRUE(machine_->SetSpeed(0, &error)) << error;  // values hold still while compared
  }

  std::uint8_t EcRam(std::uint16_t address) {
    vnb::Session session(*machine_, vnb::HostRequest::kObserve);
    return vnb::EcRamRead(session.state(), address);
  }

  std::string Identify() {
    const std::uint8_t frame[1] = {0xEC};
    std::uint8_t reply[8] = {};
    if (tessel_->ReadECRAM(frame, 1, reply, 8) != 1) return "failed";
    return std::string(reinterpret_cast<char*>(reply), 8);
  }

  vnb::Machine* machine_ = nullptr;
  Tessel* tessel_ = nullptr;
};

TEST_F(TesselLibraryTest, ExportsExactlyTheSevenNames) {
  if (std::system("command -v nm >/dev/null 2>&1") != 0) GTEST_SKIP() << "nm is not installed";
  const std::string command = "nm -D --defined-only '" + kLibraryPath + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::istringstream fields(line);
    std::string value, type, name;
    if (fields >> value >> type >> name) names.insert(name);
  }
  const std::set<std::string> loaderSymbols = {"_init", "_fini", "_edata", "_end", "__bss_start"};
  std::set<std::string> ours;
  for (const std::string& name : names) {
    if (!loaderSymbols.count(name)) ours.insert(name);
  }
  EXPECT_EQ(ours, (std::set<std::string>{"GetECRAM", "SetI2CDevice", "ReadECRAM", "WriteECRAM",
                                         "ReleaseECRAM", "InitI2CDevice", "GetI2CDevice"}));
}

TEST_F(TesselLibraryTest, FindsTheEcOnTheDefaultI2cConnection) {
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  EXPECT_EQ(Identify(), vnb::ProfileAt(*vnb::FindProfile("i2c")).version);

  const std::uint8_t read[4] = {0xD0, 0x08, 0x72, 0x06};
  std::uint8_t value = 0xEE;
  ASSERT_EQ(tessel_->ReadECRAM(read, 4, &value, 1), 1);
  EXPECT_EQ(value, EcRam(0x0672));

  // A write sent as a frame without reply lands in the machine every other path sees.
  const std::uint8_t written = static_cast<std::uint8_t>(EcRam(0x0123) ^ 0x5A);
  const std::uint8_t write[5] = {0xD0, 0x09, 0x23, 0x01, written};
  ASSERT_EQ(tessel_->ReadECRAM(write, 5, nullptr, 0), 1);
  EXPECT_EQ(EcRam(0x0123), written);
  const std::uint8_t readBack[4] = {0xD0, 0x08, 0x23, 0x01};
  ASSERT_EQ(tessel_->ReadECRAM(readBack, 4, &value, 1), 1);
  EXPECT_EQ(value, written);
}

TEST_F(TesselLibraryTest, BatteryBlockIsTheMachinesBlock) {
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  const std::uint8_t frame[1] = {0x81};
  std::vector<std::uint8_t> reply(62, 0xEE);
  ASSERT_EQ(tessel_->ReadECRAM(frame, 1, reply.data(), 62), 1);
  std::vector<std::uint8_t> expected(62);
  {
    vnb::Session session(*machine_, vnb::HostRequest::kObserve);
    vnb::BuildI2cBatteryBlock(session.state(), expected.data());
  }
  EXPECT_EQ(reply, expected);
}

// The second controller's profile reports the old descriptor layout: the connection is found
// there only once it is selected.
TEST_F(TesselLibraryTest, OldDescriptorLayoutAndTheSecondController) {
  SelectProfile("i2c-pci");
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  EXPECT_EQ(Identify(), "failed");  // "\_SB.I2C1" has no device at 0x66 here

  const std::uint32_t count = tessel_->InitI2CDevice();
  ASSERT_GT(count, 0u);
  std::vector<char[260]> paths(count);
  std::vector<std::uint32_t> addresses(count);
  tessel_->GetI2CDevice(paths.data(), addresses.data());
  bool listed = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    listed |= std::string(paths[i]) == "\\_SB.PCI0.I2C1" && addresses[i] == 0x66;
  }
  EXPECT_TRUE(listed);

  EXPECT_EQ(tessel_->SetI2CDevice("\\_SB.PCI0.I2C1", 0x66), 0x66u);
  EXPECT_EQ(Identify(), vnb::ProfileAt(*vnb::FindProfile("i2c-pci")).version);
}

TEST_F(TesselLibraryTest, FailedExchangePrintsTheLineAndTheNextOneWorks) {
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  std::string error;
  ASSERT_TRUE(machine_->SetFault("i2c-fail", true, &error)) << error;
  const std::uint8_t frame[1] = {0xEC};
  std::uint8_t reply[8];
  std::memset(reply, 0xEE, sizeof reply);
  ::testing::internal::CaptureStdout();
  const std::uint8_t result = tessel_->ReadECRAM(frame, 1, reply, 8);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(printed, "DeviceIoControl IOCTL_SPB_EXECUTE_SEQUENCE failed(errCode:" +
                         std::to_string(kHubErrorSemTimeout) + ").\n");
  EXPECT_EQ(std::vector<std::uint8_t>(reply, reply + 8), std::vector<std::uint8_t>(8, 0));

  ASSERT_TRUE(machine_->SetFault("i2c-fail", false, &error)) << error;
  EXPECT_EQ(Identify(), vnb::ProfileAt(*vnb::FindProfile("i2c")).version);
  tessel_->ReleaseECRAM();
  tessel_->ReleaseECRAM();
  EXPECT_EQ(Identify(), vnb::ProfileAt(*vnb::FindProfile("i2c")).version);
}

// ---- the bus mutex between processes ----

// A runtime folder of the test's own, so holding the mutex here cannot stall other runs.
class BusMutexAcrossProcessesTest : public TesselLibraryTest {
 protected:
  void SetUp() override {
    TesselLibraryTest::SetUp();
    char pattern[] = "/tmp/bridge-e2e-run-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    runtimeDir_ = pattern;
    lockPath_ = runtimeDir_ + "/packwatch-InitTesselMutex.lock";
  }
  void TearDown() override { std::filesystem::remove_all(runtimeDir_); }

  // Forks a process that exchanges frames through the library with the test's runtime folder.
  template <typename Body>
  pid_t Spawn(Body body) {
    const pid_t child = fork();
    if (child == 0) {
      setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
      _exit(body());
    }
    return child;
  }

  static int ExitCode(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  std::string runtimeDir_;
  std::string lockPath_;
};

// While another process holds "InitTesselMutex" nothing reaches the bus; the wait is bounded
// and the exchange then counts as failed; once released, the next exchange goes through.
TEST_F(BusMutexAcrossProcessesTest, ExchangeWaitsForTheHolderAndGivesUp) {
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  const int holder = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  const std::uint8_t before = EcRam(0x0123);
  const std::uint8_t wanted = static_cast<std::uint8_t>(before ^ 0xFF);

  int report[2], resume[2];
  ASSERT_EQ(pipe(report), 0);
  ASSERT_EQ(pipe(resume), 0);
  const pid_t child = Spawn([&] {
    const std::uint8_t write[5] = {0xD0, 0x09, 0x23, 0x01, wanted};
    char result = static_cast<char>('0' + tessel_->ReadECRAM(write, 5, nullptr, 0));
    if (::write(report[1], &result, 1) != 1) return 10;
    char go;
    if (read(resume[0], &go, 1) != 1) return 11;
    result = static_cast<char>('0' + tessel_->ReadECRAM(write, 5, nullptr, 0));
    return ::write(report[1], &result, 1) == 1 ? 0 : 12;
  });
  ASSERT_GT(child, 0);

  char result = 0;
  ASSERT_EQ(read(report[0], &result, 1), 1);
  EXPECT_EQ(result, '0');              // gave up while the mutex was held
  EXPECT_EQ(EcRam(0x0123), before);    // and never touched the EC

  ASSERT_EQ(flock(holder, LOCK_UN), 0);
  const char go = 'g';
  ASSERT_EQ(write(resume[1], &go, 1), 1);
  ASSERT_EQ(read(report[0], &result, 1), 1);
  EXPECT_EQ(result, '1');
  EXPECT_EQ(EcRam(0x0123), wanted);
  EXPECT_EQ(ExitCode(child), 0);
  close(holder);
  for (int fd : {report[0], report[1], resume[0], resume[1]}) close(fd);
}

// The flock holders of the lock file's inode, as the kernel lists them.
std::vector<pid_t> LockHolders(const std::string& inodeKey) {
  std::ifstream locks("/proc/locks");
  std::vector<pid_t> holders;
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string index, kind, mode, access, device;
    long pid = 0;
    if (!(fields >> index >> kind)) continue;
    if (kind == "->") continue;  // a waiter, not a holder
    if (!(fields >> mode >> access >> pid >> device)) continue;
    if (kind == "FLOCK" && device == inodeKey) holders.push_back(static_cast<pid_t>(pid));
  }
  return holders;
}

// Two processes exchanging at once: the kernel shows each of them holding "InitTesselMutex"
// in turn, never both, and every exchange succeeds.
TEST_F(BusMutexAcrossProcessesTest, TwoProcessesTakeTurnsOnTheBusMutex) {
  if (!std::ifstream("/proc/locks")) GTEST_SKIP() << "/proc/locks is not available";
  ASSERT_EQ(tessel_->GetECRAM(), 1);
  struct Shared {
    std::atomic<int> stop;
    std::atomic<int> ready;
    std::atomic<int> exchanges[2];
    std::atomic<int> failures[2];
  };
  void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                      -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  auto* shared = new (memory) Shared{};

  // The lock file exists before the children run, so its inode can be looked for.
  const int created = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(created, 0);
  close(created);
  struct stat file {};
  ASSERT_EQ(stat(lockPath_.c_str(), &file), 0);
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%lu", major(file.st_dev), minor(file.st_dev),
                static_cast<unsigned long>(file.st_ino));

  pid_t children[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = Spawn([&, i] {
      const std::uint8_t frame[1] = {0x81};
      std::uint8_t block[62];
      shared->ready.fetch_add(1);
      while (shared->ready.load() < 2) {
      }
      while (!shared->stop.load()) {
        if (tessel_->ReadECRAM(frame, 1, block, 62) == 1) shared->exchanges[i].fetch_add(1);
        else shared->failures[i].fetch_add(1);
      }
      return 0;
    });
    ASSERT_GT(children[i], 0);
  }

  std::set<pid_t> seen;
  std::size_t mostAtOnce = 0;
  for (int sample = 0; sample < 200000 && seen.size() < 2; ++sample) {
    const std::vector<pid_t> holders = LockHolders(key);
    mostAtOnce = std::max(mostAtOnce, holders.size());
    seen.insert(holders.begin(), holders.end());
  }
  shared->stop.store(1);
  EXPECT_EQ(ExitCode(children[0]), 0);
  EXPECT_EQ(ExitCode(children[1]), 0);

  EXPECT_EQ(seen, (std::set<pid_t>{children[0], children[1]}));
  EXPECT_EQ(mostAtOnce, 1u);
  EXPECT_GT(shared->exchanges[0].load(), 0);
  EXPECT_GT(shared->exchanges[1].load(), 0);
  EXPECT_EQ(shared->failures[0].load(), 0);
  EXPECT_EQ(shared->failures[1].load(), 0);
  munmap(memory, sizeof(Shared));
}

}  // namespace
