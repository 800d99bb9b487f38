// The ACPI/WMI method library "Sorrel.dll": its process-wide function table, its four ways of
// being loaded, and its release.
#pragma once

#include "hw/acpi_library_abi.h"
#include "hw/ec_library.h"
#include "os/library.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace hw {

struct AcpiLibraryTable {
  AcpiGetDeviceTypeFn GetZYLACPIDeviceTypeEx = nullptr;
  AcpiInitializeFn InitializeZYLACPIDeviceEx = nullptr;
  AcpiOneWmiMethodIntFn One_WMIMethod_INTEx = nullptr;
  // Bound but never called, in the order of PACKWATCH_ACPI_UNUSED_EXPORTS.
  AcpiUnusedFn unused[7] = {};
};

AcpiLibraryTable& AcpiLibrary();
// Every one of the ten names, the three called first.
std::span<const std::string_view> AcpiLibraryNames();
// Binds all ten names; false, leaving the table empty, when any is missing.
bool BindAcpiLibrary(SymbolLookup lookup, void* context);
void ClearAcpiLibrary();

// The two calls of the start-up, safe while the library is not bound: device type 0 (no
// wrapper) and initialisation result 0 (ACPI functions unavailable).
std::uint32_t AcpiDeviceType();
std::uint32_t InitializeAcpiDevice();

// Where the hardware layer's few user messages go; the window layer shows them.
class IMessageSink {
 public:
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;

 protected:
  ~IMessageSink() = default;
};

inline constexpr std::string_view kAcpiLoadErrorText = "Sorrel.dll Loading Error !!";
inline constexpr std::string_view kAcpiLoadErrorCaption = "Error";

enum class AcpiLoadWay {
  kNone,
  kCurrentFolder,             // 1: Sorrel.dll in the current directory
  kWrittenCopy,               // 2: the carried copy written to the private directory
  kCurrentFolderWithRuntime,  // 3: Sorrel.dll again, after msvcr100.dll was put beside it
  kWrittenCopyAgain,          // 4: the carried copy written once more
};

struct AcpiLibraryState {
  os::LibraryHandle module = nullptr;
  std::filesystem::path path;  // the file loaded, or last tried
  bool writtenCopy = false;    // the loaded file is a copy this run wrote: deleted at unload
  AcpiLoadWay way = AcpiLoadWay::kNone;
  // The current directory's msvcr100.dll, loaded ahead of a written copy so the copy finds its
  // runtime there as a library in the current directory would.
  os::LibraryHandle runtimeModule = nullptr;
};
const AcpiLibraryState& AcpiLibraryLoadState();

// Tries the four ways in order and binds the ten names of the first library that loads with
// all of them. When none does, shows "Sorrel.dll Loading Error !!" (caption "Error") through
// `messages` and leaves the table empty. True when a library was loaded.
bool LoadAcpiLibrary(std::string_view randomFileName, IMessageSink& messages);

// Releases the library and empties the table; deletes the loaded file when it is a copy this
// run wrote. A msvcr100.dll written into the current directory stays.
void UnloadAcpiLibrary();

}  // namespace hw
