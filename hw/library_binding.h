// Libraries loaded by file name, and the copies the program carries of them: where a library
// is looked for, how a carried copy is written, the EC library's loading sequence, release.
#pragma once

#include "hw/ec_library.h"
#include "os/library.h"
#include "os/random.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace hw {

// One library loaded by file name.
struct LibraryBinding {
  os::LibraryHandle module = nullptr;
  std::filesystem::path path;  // the file loaded, or last tried
  std::uint32_t keepFile = 1;  // 1: leave the file at unload; 0: a copy we wrote, deleted at unload
  // Empties the function table bound from `module`, so that no entry outlives the library.
  void (*unbind)() = nullptr;
};

// Where the carried library bytes come from. The program installs resources::FindResource at
// start-up; until then every resource counts as missing. Returns the finder it replaced.
using ResourceFinder = std::span<const std::uint8_t> (*)(int id, std::string_view type);
ResourceFinder SetResourceFinder(ResourceFinder finder);

// Writes the resource to a new file at path. A file this run wrote earlier at that path is
// replaced; anything else already there (a file, a link) is left alone and the write fails.
bool WriteResourceToFile(const std::filesystem::path& path, int resourceId, std::string_view type);

// <current directory>/res/<name>, <private run directory>/<name>, <current directory>/<name>.
// An empty name gives the folder alone; an empty path when the folder is not available (the
// current directory cannot be read, the private directory cannot be made).
std::filesystem::path ResFolderPath(std::string_view fileName);
std::filesystem::path TempFolderPath(std::string_view fileName);
std::filesystem::path CurrentFolderPath(std::string_view fileName);

// "A%08X.DLL" of a value of the 15-bit generator.
std::string CarriedCopyName(int randomValue);

// The names of the written copies, drawn at the start of library loading in this order, one
// per library whether or not it is then found in place.
struct CarriedCopyNames {
  std::string bridge;
  std::string ecLibrary;
  std::string acpiLibrary;
};
CarriedCopyNames DrawCarriedCopyNames(os::SecondsClock clock = os::SystemSeconds);

// Loads the library at path and binds it with `bind`. A library that lacks a name the program
// calls counts as not loaded: it is released again and null returned.
using TableBinder = bool (*)(SymbolLookup lookup, void* context);
os::LibraryHandle LoadAndBind(const std::filesystem::path& path, TableBinder bind);

// The sequence the bridge and the EC library share: the file found in place (kept at unload),
// else the carried copy written under the random name (deleted at unload, and at once when it
// does not load). `unbind` empties the table `bind` fills.
struct CarriedLibrary {
  std::filesystem::path inPlace;
  int resourceId;
  TableBinder bind;
  void (*unbind)();
};
bool LoadInPlaceOrCarried(LibraryBinding& binding, const CarriedLibrary& library,
                          std::string_view randomFileName);

// "Brantel.dll" from the res folder, else the carried copy (resource 129) written under the
// random name. Binds every name and registers the buffer-resize callback.
bool LoadEcLibrary(LibraryBinding& binding, std::string_view randomFileName);

// Releases the module and empties its table; deletes the file when keepFile is 0 and it is a
// copy this run wrote.
void UnloadLibrary(LibraryBinding& binding);

}  // namespace hw
