// One machine for every process: the segment is created once, other processes attach to it,
// and a process that dies holding the lock does not wedge the others.
#include "vnb_test_support.h"

#include "vnb/machine/segment.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace vnbtest {
namespace {

using MachineSharing = VnbTest;

constexpr std::uint16_t kMarkAddress = 0x0730;

// A segment sized for a machine whose creator died before flagging it set up.
void CreateHalfMadeSegment(const std::string& name) {
  const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, sizeof(vnb::MachineState)), 0);  // sized, never flagged initialised
  close(fd);
}

// Starts `children` processes at once, each opening the machine `name`, checking it with
// `seesAGoodMachine` and adding one to the mark byte; then checks that every child succeeded
// and that all the marks landed in one machine.
void EveryChildMarksOneMachine(const std::string& name, int children,
                               bool (*seesAGoodMachine)(vnb::MachineState&)) {
  std::vector<pid_t> pids(children);
  for (pid_t& child : pids) {
    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::unique_ptr<vnb::Machine> machine = vnb::Machine::Open(name, nullptr);
      if (!machine) _exit(1);
      {
        vnb::Session session(*machine);
        if (!seesAGoodMachine(session.state())) _exit(2);
        ++session.state().ecRam[kMarkAddress];
      }
      _exit(0);
    }
  }
  for (pid_t child : pids) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::unique_ptr<vnb::Machine> machine = vnb::Machine::Open(name, nullptr);
  ASSERT_TRUE(machine);
  EXPECT_EQ(machine->segment().state().ecRam[kMarkAddress], children);
}

TEST_F(MachineSharing, AByteWrittenByOneProcessIsReadByAnother) {
  WriteEc(0x0720, 0x4B);
  std::string out;
  ASSERT_EQ(RunVnbctl({"ec", "read", "0x0720"}, &out, nullptr), 0);
  EXPECT_EQ(out, "0x0720: 0x4B\n");
  ASSERT_EQ(RunVnbctl({"ec", "write", "721", "c3"}, nullptr, nullptr), 0);
  EXPECT_EQ(ReadEc(0x0721), 0xC3);
}

TEST_F(MachineSharing, ProcessKilledWhileHoldingTheLockDoesNotWedgeTheNext) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<vnb::Machine> own = vnb::Machine::Open(MachineName(), nullptr);
    if (!own) _exit(2);
    own->segment().Lock();
    own->segment().state().ecRam[0x0722] = 0x99;  // mid-update when it dies
    const char byte = 1;
    if (write(ready[1], &byte, 1) != 1) _exit(3);
    raise(SIGKILL);
    _exit(4);
  }
  close(ready[1]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  // The next caller recovers the lock and finds the state as the dead holder left it.
  EXPECT_EQ(ReadEc(0x0722), 0x99);
  WriteEc(0x0722, 0x11);
  EXPECT_EQ(ReadEc(0x0722), 0x11);
  std::string out;
  EXPECT_EQ(RunVnbctl({"ec", "read", "722"}, &out, nullptr), 0);
  EXPECT_EQ(out, "0x0722: 0x11\n");
}

TEST_F(MachineSharing, ThreadsCallingAtOnceEachSeeTheirOwnBytes) {
  // The refresh thread runs SMBus sequences while the user-interface thread reads EC RAM.
  std::thread smbus([] {
    for (int i = 0; i < 300; ++i) EXPECT_EQ(SmbusWord(0x18), 4400);
  });
  std::thread ram([] {
    for (int i = 0; i < 3000; ++i) {
      WriteEc(0x0760, static_cast<std::uint8_t>(i));
      EXPECT_EQ(ReadEc(0x0760), static_cast<std::uint8_t>(i));
    }
  });
  smbus.join();
  ram.join();
}

TEST(MachineSegment, LibraryWithoutAMachineAnswersHarmlessly) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A fresh instance of the library in a process whose machine name cannot be used.
    setenv("PACKWATCH_VNB", "no/such/machine", 1);
    const std::string copy = "/tmp/vnb-brantel-nomachine-" + std::to_string(getpid()) + ".dll";
    if (std::system(("cp " + BinPath("Brantel.dll") + " " + copy + " 2>/dev/null").c_str()) != 0) _exit(10);
    int code = 0;
    {
      Library library(copy);
      if (!library.loaded()) _exit(11);
      auto load = reinterpret_cast<EcLoadDriverFn>(library.Symbol("LoadECDriver"));
      auto read = reinterpret_cast<EcMemFn>(library.Symbol("ECMem3r"));
      EcMemBlock block{};
      block.address = 0x0380;
      read(&block);
      if (load() != 0) code = 12;
      if (block.data != 0xFF) code = 13;
    }
    std::remove(copy.c_str());
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(MachineSegment, ProcessesRacingToCreateAMachineAllGetTheSameOne) {
  const std::string name = "/vnb-race-" + std::to_string(getpid());
  vnb::Segment::Remove(name);
  // Each child sees the default profile set up completely, then leaves its mark.
  EveryChildMarksOneMachine(name, 4, [](vnb::MachineState& state) {
    return state.config.profile == vnb::kDefaultProfile && state.ecRam[0x2000] == 0x85;
  });
  vnb::Segment::Remove(name);
}

TEST(MachineSegment, SegmentOfAnotherLayoutIsReplaced) {
  const std::string name = "/vnb-stale-" + std::to_string(getpid());
  vnb::Segment::Remove(name);
  const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 4096), 0);  // an older, smaller machine
  close(fd);
  std::string error;
  std::unique_ptr<vnb::Machine> machine = vnb::Machine::Open(name, &error);
  ASSERT_TRUE(machine) << error;
  EXPECT_EQ(machine->segment().state().header.layoutVersion, vnb::kLayoutVersion);
  EXPECT_EQ(machine->segment().state().config.profile, vnb::kDefaultProfile);
  vnb::Segment::Remove(name);
}

TEST(MachineSegment, SegmentWhoseCreatorDiedBeforeSettingItUpIsReplaced) {
  const std::string name = "/vnb-halfmade-" + std::to_string(getpid());
  vnb::Segment::Remove(name);
  CreateHalfMadeSegment(name);
  std::string error;
  std::unique_ptr<vnb::Machine> machine = vnb::Machine::Open(name, &error);  // waits, bounded
  ASSERT_TRUE(machine) << error;
  EXPECT_EQ(machine->segment().state().header.initialised.load(), vnb::kInitialisedMagic);
  EXPECT_EQ(machine->segment().state().ecRam[0x2000], 0x85);
  vnb::Segment::Remove(name);
}

TEST(MachineSegment, ProcessesReplacingAHalfMadeSegmentTogetherEndOnOneMachine) {
  // Every waiter gives up on the dead creator at about the same moment; only one of them may
  // remove it, or one replaces the machine another has just made.
  const std::string name = "/vnb-halfrace-" + std::to_string(getpid());
  vnb::Segment::Remove(name);
  CreateHalfMadeSegment(name);
  EveryChildMarksOneMachine(name, 4, [](vnb::MachineState&) { return true; });
  vnb::Segment::Remove(name);
}

TEST(MachineSegment, NamesComeFromTheEnvironment) {
  EXPECT_EQ(vnb::Segment::NameFromEnvironment(), MachineName());
  EXPECT_TRUE(vnb::Segment::IsValidName("/abc"));
  EXPECT_FALSE(vnb::Segment::IsValidName("/a/b"));
  EXPECT_FALSE(vnb::Segment::IsValidName("/"));
  std::string error;
  EXPECT_FALSE(vnb::Machine::Open("/bad/name", &error));
  EXPECT_NE(error.find("invalid"), std::string::npos);
}

}  // namespace
}  // namespace vnbtest
