// The folders the program works with: the current directory, the temporary-files directory,
// this run's private directory under it, and the default save folder.
#pragma once

#include <filesystem>
#include <optional>

namespace os {

// Absolute; nullopt when the current directory cannot be read (removed, no permission).
std::optional<std::filesystem::path> CurrentDirectory();

// TMPDIR when it names an absolute path, otherwise /tmp.
std::filesystem::path TemporaryFilesDirectory();

// A directory of this run only (mode 0700, unpredictable name) under the temporary-files
// directory, created on first use; empty when it cannot be created. Copies of libraries are
// written here so that nothing another user planted in the shared temporary-files directory
// can be picked up or written through.
std::filesystem::path PrivateRunDirectory();

// Deletes the files this run wrote into the private directory (see written_files.h), then the
// directory itself when nothing else is left in it. Runs at exit by itself; a later
// PrivateRunDirectory() makes a new one.
void RemovePrivateRunDirectory();

// Where "C:\..." default file names are saved: the user's home directory.
std::filesystem::path DefaultSaveFolder();

}  // namespace os
