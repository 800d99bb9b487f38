// Files this run writes (the carried library copies): created exclusively, never through a
// link, checked for size, and remembered so that only they are ever deleted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace os {

enum class WriteResult {
  kWritten,  // the file is new and holds exactly the bytes
  kExists,   // something (file, link, folder) already has that name; it was not touched
  kFailed,   // it could not be created or fully written; nothing is left behind
};

// Creates the file (mode 0700) only when no entry of that name exists, without following a
// link, writes every byte, and remembers the file by identity (device and inode).
WriteResult WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// True when the entry at path is a file this run wrote (same identity) and not since removed.
bool IsWrittenFile(const std::filesystem::path& path);

// Deletes the file only when it is one this run wrote and still the same file; true when deleted.
bool RemoveWrittenFile(const std::filesystem::path& path);

// RemoveWrittenFile for every remembered file directly inside the folder.
void RemoveWrittenFilesIn(const std::filesystem::path& folder);

}  // namespace os
