#include "os/written_files.h"

#include "tests/os/scoped_folders.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using testing_support::TempFolder;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::vector<std::uint8_t> kBytes = {0x7F, 'E', 'L', 'F', 0, 0x0D, 0x0A, 0xFF};

TEST(WrittenFiles, NewFileHoldsExactlyTheBytesAndIsRemembered) {
  TempFolder folder;
  const auto path = folder.path() / "copy.dll";
  ASSERT_EQ(os::WriteNewFile(path, kBytes), os::WriteResult::kWritten);
  EXPECT_EQ(ReadAll(path), std::string(kBytes.begin(), kBytes.end()));  // no line-end translation
  EXPECT_TRUE(os::IsWrittenFile(path));
  EXPECT_TRUE(os::RemoveWrittenFile(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(os::RemoveWrittenFile(path));
}

TEST(WrittenFiles, ExistingFileIsNeitherReplacedNorDeleted) {
  TempFolder folder;
  const auto path = folder.path() / "planted.dll";
  std::ofstream(path) << "planted";
  EXPECT_EQ(os::WriteNewFile(path, kBytes), os::WriteResult::kExists);
  EXPECT_EQ(ReadAll(path), "planted");
  EXPECT_FALSE(os::IsWrittenFile(path));
  EXPECT_FALSE(os::RemoveWrittenFile(path));
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(WrittenFiles, LinkIsNotFollowed) {
  TempFolder folder;
  const auto target = folder.path() / "target";
  const auto link = folder.path() / "link.dll";
  std::filesystem::create_symlink(target, link);  // dangling: writing through it would create target
  EXPECT_EQ(os::WriteNewFile(link, kBytes), os::WriteResult::kExists);
  EXPECT_FALSE(std::filesystem::exists(target));

  std::ofstream(target) << "victim";
  EXPECT_EQ(os::WriteNewFile(link, kBytes), os::WriteResult::kExists);
  EXPECT_EQ(ReadAll(target), "victim");
}

TEST(WrittenFiles, FileReplacedBySomeoneElseIsNotDeleted) {
  TempFolder folder;
  const auto path = folder.path() / "copy.dll";
  ASSERT_EQ(os::WriteNewFile(path, kBytes), os::WriteResult::kWritten);
  std::filesystem::remove(path);
  std::ofstream(path) << "someone else's";
  EXPECT_FALSE(os::IsWrittenFile(path));
  EXPECT_FALSE(os::RemoveWrittenFile(path));
  EXPECT_EQ(ReadAll(path), "someone else's");
}

TEST(WrittenFiles, UnwritableFolderFailsWithoutLeavingAnything) {
  TempFolder folder;
  EXPECT_EQ(os::WriteNewFile(folder.path() / "missing" / "copy.dll", kBytes), os::WriteResult::kFailed);
  EXPECT_EQ(os::WriteNewFile("", kBytes), os::WriteResult::kFailed);
}

TEST(WrittenFiles, ShortWriteFailsAndLeavesNoFile) {
  TempFolder folder;
  const auto path = folder.path() / "short.dll";
  // A file-size limit below the copy's size makes the write stop part way, as a full disk does.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4, 4};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(os::WriteNewFile(path, kBytes) == os::WriteResult::kFailed ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WrittenFiles, RemoveWrittenFilesInTouchesOnlyThatFolder) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "a");
  std::filesystem::create_directory(folder.path() / "b");
  ASSERT_EQ(os::WriteNewFile(folder.path() / "a" / "x", kBytes), os::WriteResult::kWritten);
  ASSERT_EQ(os::WriteNewFile(folder.path() / "b" / "x", kBytes), os::WriteResult::kWritten);
  os::RemoveWrittenFilesIn(folder.path() / "a");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "a" / "x"));
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "b" / "x"));
  EXPECT_TRUE(os::RemoveWrittenFile(folder.path() / "b" / "x"));
}

}  // namespace
