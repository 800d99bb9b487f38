#include "tests/e2e/e2e_fixture.h"

#include "hw/acpi_library.h"
#include "hw/bridge_library.h"
#include "hw/bridge_loader.h"
#include "hw/ec_library.h"
#include "os/folders.h"
#include "os/object_service.h"
#include "resources/resource_table.h"
#include "vnb/machine/segment.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

void RemoveMachineAtExit() {
  vnb::Segment::Remove("/packwatch-e2e-" + std::to_string(getpid()));
}

}  // namespace

void E2eTest::SetUp() {
  // One machine per test process, reset to a profile by each test: what attaches to a machine
  // (the object provider linked into this test, a library that stays mapped) keeps attached to
  // it for the life of the process, as in the program.
  machineName_ = "packwatch-e2e-" + std::to_string(getpid());
  static const bool removalRegistered = std::atexit(RemoveMachineAtExit) == 0;
  (void)removalRegistered;
  chdir_ = std::make_unique<testing_support::ScopedChdir>(std::filesystem::canonical(cwd_.path()));
  tmpEnv_ = std::make_unique<testing_support::ScopedEnv>("TMPDIR", tmp_.path().c_str());
  runtimeEnv_ = std::make_unique<testing_support::ScopedEnv>("XDG_RUNTIME_DIR", runtime_.path().c_str());
  vnbEnv_ = std::make_unique<testing_support::ScopedEnv>("PACKWATCH_VNB", machineName_.c_str());
  os::RemovePrivateRunDirectory();
  hw::SetResourceFinder(resources::FindResource);
  std::string error;
  machine_ = vnb::Machine::Open(vnb::Segment::NameFromEnvironment(), &error);
  ASSERT_NE(machine_, nullptr) << error;
}

void E2eTest::TearDown() {
  hw::UnloadAcpiLibrary();
  if (driverLoaded_ && hw::EcLibrary().UnloadECDriver != nullptr) hw::EcLibrary().UnloadECDriver();
  hw::UnloadLibrary(ecLibrary_);
  hw::UnloadLibrary(bridge_);
  os::SetObjectProvider(nullptr);
  os::RemovePrivateRunDirectory();
  hw::SetResourceFinder(nullptr);
  machine_.reset();
  vnbEnv_.reset();
  runtimeEnv_.reset();
  tmpEnv_.reset();
  chdir_.reset();
}

void E2eTest::UseProfile(const char* profile) {
  std::string error;
  ASSERT_TRUE(machine_->SelectProfile(profile, &error)) << error;
  ASSERT_TRUE(machine_->SetSpeed(0.0, &error)) << error;
  machine_->AdvanceSimulated(600.0);
  // The model steps at most every 50 ms of real time; a step still owed from before the
  // clock stopped would move the values between the program's read and the comparison, so
  // let it happen now.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  { vnb::Session settle(*machine_, vnb::HostRequest::kObserve); }
}

bool E2eTest::ConnectI2c(const char* path) {
  if (!hw::LoadBridgeLibrary(bridge_, names_.bridge)) return false;
  if (hw::BridgeLibrary().GetECRAM() != 1) return false;
  hw::BridgeLibrary().SetI2CDevice(path, 0x66);
  std::uint8_t identify = 0xEC;
  std::uint8_t reply[8] = {};
  return hw::BridgeLibrary().ReadECRAM(&identify, 1, reply, sizeof reply) == 1;
}

void E2eTest::LoadEcLibraryAndDriver() {
  ASSERT_TRUE(hw::LoadEcLibrary(ecLibrary_, names_.ecLibrary));
  ASSERT_NE(hw::EcLibrary().LoadECDriver(), 0u);
  driverLoaded_ = true;
}

}  // namespace e2e
