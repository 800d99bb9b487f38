// Every end-to-end test runs against the test process's own virtual notebook (PACKWATCH_VNB), from a fresh
// current directory with its own temporary-files and runtime directories, and loads the real
// libraries the way the start-up does: carried copies written from the embedded resources.
#pragma once

#include "hw/library_binding.h"
#include "tests/os/scoped_folders.h"
#include "vnb/machine/machine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace e2e {

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Switches the machine to the profile and freezes its clock a little way into the run, so
  // that the program and the model are compared at one instant.
  void UseProfile(const char* profile);
  // Loads the bridge and selects the candidate connection; false when it does not answer.
  bool ConnectI2c(const char* path);
  // Loads the EC library and starts its driver.
  void LoadEcLibraryAndDriver();

  vnb::Machine& machine() { return *machine_; }
  const std::string& machineName() const { return machineName_; }

  hw::CarriedCopyNames names_ = hw::DrawCarriedCopyNames();
  hw::LibraryBinding bridge_;
  hw::LibraryBinding ecLibrary_;
  bool driverLoaded_ = false;

 private:
  testing_support::TempFolder cwd_;
  testing_support::TempFolder tmp_;
  testing_support::TempFolder runtime_;
  std::string machineName_;
  std::unique_ptr<testing_support::ScopedChdir> chdir_;
  std::unique_ptr<testing_support::ScopedEnv> tmpEnv_;
  std::unique_ptr<testing_support::ScopedEnv> runtimeEnv_;
  std::unique_ptr<testing_support::ScopedEnv> vnbEnv_;
  std::unique_ptr<vnb::Machine> machine_;
};

}  // namespace e2e
