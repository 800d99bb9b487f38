#include "os/written_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace os {

namespace {

struct WrittenFile {
  std::filesystem::path path;
  dev_t device;
  ino_t inode;
  // An inode number is reused at once when a file is deleted and another created; the change
  // time tells the two apart.
  timespec changed;
};

std::mutex g_mutex;
std::vector<WrittenFile> g_files;

bool SameFile(const WrittenFile& file) {
  struct stat st {};
  if (lstat(file.path.c_str(), &st) != 0) return false;
  return S_ISREG(st.st_mode) && st.st_dev == file.device && st.st_ino == file.inode &&
         st.st_ctim.tv_sec == file.changed.tv_sec && st.st_ctim.tv_nsec == file.changed.tv_nsec;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

WriteResult WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return WriteResult::kFailed;
  // O_EXCL never follows a link at the last component; O_NOFOLLOW says so twice.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
  if (fd < 0) return errno == EEXIST ? WriteResult::kExists : WriteResult::kFailed;
  bool ok = WriteAll(fd, bytes);
  // The size check catches a short write the calls did not report (full disk, quota).
  struct stat st {};
  ok = ok && fstat(fd, &st) == 0 && st.st_size == static_cast<off_t>(bytes.size());
  ok = (close(fd) == 0) && ok;
  if (!ok) {
    // We created this file a moment ago with O_EXCL, so it is ours to remove.
    unlink(path.c_str());
    return WriteResult::kFailed;
  }
  std::lock_guard lock(g_mutex);
  g_files.push_back({path, st.st_dev, st.st_ino, st.st_ctim});
  return WriteResult::kWritten;
}

bool IsWrittenFile(const std::filesystem::path& path) {
  std::lock_guard lock(g_mutex);
  for (const WrittenFile& file : g_files) {
    if (file.path == path && SameFile(file)) return true;
  }
  return false;
}

bool RemoveWrittenFile(const std::filesystem::path& path) {
  std::lock_guard lock(g_mutex);
  for (auto it = g_files.begin(); it != g_files.end(); ++it) {
    if (it->path != path) continue;
    const bool ours = SameFile(*it);
    g_files.erase(it);
    return ours && unlink(path.c_str()) == 0;
  }
  return false;
}

void RemoveWrittenFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> inside;
  {
    std::lock_guard lock(g_mutex);
    for (const WrittenFile& file : g_files) {
      if (file.path.parent_path() == folder) inside.push_back(file.path);
    }
  }
  for (const auto& path : inside) RemoveWrittenFile(path);
}

}  // namespace os
