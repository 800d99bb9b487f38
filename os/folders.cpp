#include "os/folders.h"

#include "os/written_files.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace os {

namespace {

std::mutex g_privateMutex;
std::filesystem::path g_privateDirectory;
bool g_exitHookInstalled = false;

void RemoveAtExit() { RemovePrivateRunDirectory(); }

}  // namespace

std::optional<std::filesystem::path> CurrentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      std::filesystem::path path(buffer.data());
      // getcwd may report "(unreachable)/..." for a directory outside our root.
      if (!path.is_absolute()) return std::nullopt;
      return path;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

std::filesystem::path TemporaryFilesDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && tmp[0] == '/') return std::filesystem::path(tmp);
  return std::filesystem::path("/tmp");
}

std::filesystem::path PrivateRunDirectory() {
  std::lock_guard lock(g_privateMutex);
  if (!g_privateDirectory.empty()) return g_privateDirectory;
  std::string pattern = (TemporaryFilesDirectory() / "packwatch-XXXXXX").string();
  // mkdtemp creates the directory with mode 0700 under a name nobody can predict.
  if (mkdtemp(pattern.data()) == nullptr) return {};
  g_privateDirectory = pattern;
  if (!g_exitHookInstalled) {
    g_exitHookInstalled = std::atexit(RemoveAtExit) == 0;
  }
  return g_privateDirectory;
}

void RemovePrivateRunDirectory() {
  std::filesystem::path directory;
  {
    std::lock_guard lock(g_privateMutex);
    directory.swap(g_privateDirectory);
  }
  if (directory.empty()) return;
  RemoveWrittenFilesIn(directory);
  // rmdir removes only an empty directory: a file we did not write stays, and so does the folder.
  rmdir(directory.c_str());
}

std::filesystem::path DefaultSaveFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::filesystem::path(home);
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
      result->pw_dir != nullptr && result->pw_dir[0] == '/') {
    return std::filesystem::path(result->pw_dir);
  }
  return TemporaryFilesDirectory();
}

}  // namespace os
