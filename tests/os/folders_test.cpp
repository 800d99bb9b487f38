#include "os/folders.h"
#include "os/written_files.h"

#include "tests/os/scoped_folders.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using testing_support::ScopedChdir;
using testing_support::ScopedEnv;
using testing_support::TempFolder;

TEST(Folders, CurrentDirectoryIsAbsoluteAndFollowsChdir) {
  TempFolder folder;
  ScopedChdir in(folder.path());
  const auto current = os::CurrentDirectory();
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(std::filesystem::canonical(*current), std::filesystem::canonical(folder.path()));
}

TEST(Folders, RemovedCurrentDirectoryIsReportedAsUnreadable) {
  TempFolder folder;
  const auto gone = folder.path() / "gone";
  std::filesystem::create_directory(gone);
  ScopedChdir in(gone);
  std::filesystem::remove(gone);
  EXPECT_FALSE(os::CurrentDirectory().has_value());
}

TEST(Folders, TemporaryFilesDirectoryTakesOnlyAnAbsoluteTmpdir) {
  {
    ScopedEnv tmp("TMPDIR", "/var/tmp/somewhere");
    EXPECT_EQ(os::TemporaryFilesDirectory(), "/var/tmp/somewhere");
  }
  {
    ScopedEnv tmp("TMPDIR", "relative/dir");
    EXPECT_EQ(os::TemporaryFilesDirectory(), "/tmp");
  }
  {
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(os::TemporaryFilesDirectory(), "/tmp");
  }
}

TEST(Folders, PrivateRunDirectoryIsOwnerOnlyAndRemovedWithItsCopies) {
  TempFolder tmp;
  ScopedEnv env("TMPDIR", tmp.path().c_str());
  os::RemovePrivateRunDirectory();  // start from none

  const auto directory = os::PrivateRunDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.parent_path(), tmp.path());
  EXPECT_EQ(os::PrivateRunDirectory(), directory);  // created once per run
  struct stat st {};
  ASSERT_EQ(lstat(directory.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  const std::uint8_t bytes[] = {1, 2, 3};
  ASSERT_EQ(os::WriteNewFile(directory / "A00000029.DLL", bytes), os::WriteResult::kWritten);
  os::RemovePrivateRunDirectory();
  EXPECT_FALSE(std::filesystem::exists(directory));
}

// The copies must not outlive a run that ends without unloading them: the process's normal exit
// removes them and the directory.
TEST(Folders, PrivateRunDirectoryIsRemovedWhenTheProcessExits) {
  TempFolder tmp;
  ScopedEnv env("TMPDIR", tmp.path().c_str());
  os::RemovePrivateRunDirectory();
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto directory = os::PrivateRunDirectory();
    const std::uint8_t bytes[] = {1, 2, 3};
    const bool written = !directory.empty() &&
                         os::WriteNewFile(directory / "A00000029.DLL", bytes) == os::WriteResult::kWritten;
    const std::string text = written ? directory.string() : std::string();
    (void)!write(channel[1], text.c_str(), text.size());
    close(channel[1]);
    std::exit(0);  // a normal exit, with the exit handlers
  }
  close(channel[1]);
  std::string reported;
  char buffer[256];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) reported.append(buffer, static_cast<std::size_t>(n));
  close(channel[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_FALSE(reported.empty()) << "the child could not write its copy";
  EXPECT_EQ(std::filesystem::path(reported).parent_path(), tmp.path());
  EXPECT_FALSE(std::filesystem::exists(reported));
}

TEST(Folders, PrivateRunDirectoryKeepsWhatThisRunDidNotWrite) {
  TempFolder tmp;
  ScopedEnv env("TMPDIR", tmp.path().c_str());
  os::RemovePrivateRunDirectory();
  const auto directory = os::PrivateRunDirectory();
  ASSERT_FALSE(directory.empty());
  std::ofstream(directory / "foreign.txt") << "not ours";
  os::RemovePrivateRunDirectory();
  EXPECT_TRUE(std::filesystem::exists(directory / "foreign.txt"));
  EXPECT_NE(os::PrivateRunDirectory(), directory);  // a new one after removal
  os::RemovePrivateRunDirectory();
}

TEST(Folders, PrivateRunDirectoryIsEmptyWhenItCannotBeCreated) {
  ScopedEnv env("TMPDIR", "/nonexistent-packwatch-folder");
  os::RemovePrivateRunDirectory();
  EXPECT_TRUE(os::PrivateRunDirectory().empty());
}

TEST(Folders, DefaultSaveFolderIsHome) {
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(os::DefaultSaveFolder(), "/home/someone");
}

}  // namespace
