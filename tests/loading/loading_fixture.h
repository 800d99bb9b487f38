// Each loading test runs in a fresh current directory with its own temporary-files directory
// and its own set of carried libraries (resource id -> bytes of a stand-in library file).
#pragma once

#include "tests/os/scoped_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace loading_test {

class LoadingTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The program carries this file as resource `id` of type "DLL".
  static void Carry(int id, const std::filesystem::path& libraryFile);
  // Copies the file to <current directory>/<relative>.
  void Place(const std::filesystem::path& libraryFile, const std::filesystem::path& relative) const;

  const std::filesystem::path& Cwd() const { return cwd_; }
  const std::filesystem::path& Tmp() const { return tmp_; }
  // Names of the files inside this run's private directory (none when it does not exist).
  static std::vector<std::string> PrivateFiles();
  static std::string ReadFile(const std::filesystem::path& path);

 private:
  testing_support::TempFolder cwdFolder_;
  testing_support::TempFolder tmpFolder_;
  std::filesystem::path cwd_;
  std::filesystem::path tmp_;
  std::unique_ptr<testing_support::ScopedChdir> chdir_;
  std::unique_ptr<testing_support::ScopedEnv> tmpdir_;
};

}  // namespace loading_test
