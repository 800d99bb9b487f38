#include "hw/acpi_library.h"

#include "hw/library_binding.h"
#include "os/written_files.h"

#include <sys/stat.h>

#include <type_traits>

namespace hw {

namespace {

constexpr int kAcpiLibraryResourceId = 133;
constexpr int kRuntimeLibraryResourceId = 131;
constexpr std::string_view kAcpiLibraryFile = "Sorrel.dll";
constexpr std::string_view kRuntimeLibraryFile = "msvcr100.dll";

#define PACKWATCH_ACPI_NAME(name) #name,
constexpr std::string_view kNames[] = {"GetZYLACPIDeviceTypeEx", "InitializeZYLACPIDeviceEx",
                                       "One_WMIMethod_INTEx",
                                       PACKWATCH_ACPI_UNUSED_EXPORTS(PACKWATCH_ACPI_NAME)};
#undef PACKWATCH_ACPI_NAME
static_assert(std::size(kNames) == 3 + std::size(AcpiLibraryTable{}.unused));

AcpiLibraryState g_state;

bool EntryExists(const std::filesystem::path& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::filesystem::path& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool TryCurrentFolder(AcpiLoadWay way) {
  g_state.path = CurrentFolderPath(kAcpiLibraryFile);
  g_state.writtenCopy = false;
  os::LibraryHandle module = LoadAndBind(g_state.path, BindAcpiLibrary);
  if (module == nullptr) return false;
  g_state.module = module;
  g_state.way = way;
  return true;
}

bool TryWrittenCopy(std::string_view randomFileName, AcpiLoadWay way) {
  g_state.path = TempFolderPath(randomFileName);
  g_state.writtenCopy = true;
  if (!WriteResourceToFile(g_state.path, kAcpiLibraryResourceId, "DLL")) {
    g_state.writtenCopy = false;
    return false;
  }
  // A library in the current directory finds its runtime there; a copy in the private
  // directory does not, so the current directory's runtime is loaded for it first.
  os::LibraryHandle runtime = nullptr;
  const std::filesystem::path runtimePath = CurrentFolderPath(kRuntimeLibraryFile);
  if (IsRegularFile(runtimePath)) runtime = os::LoadLibraryAt(runtimePath);
  os::LibraryHandle module = LoadAndBind(g_state.path, BindAcpiLibrary);
  if (module == nullptr) {
    os::FreeLibrary(runtime);
    os::RemoveWrittenFile(g_state.path);  // a copy that does not load is deleted at once
    g_state.writtenCopy = false;
    return false;
  }
  g_state.module = module;
  g_state.runtimeModule = runtime;
  g_state.way = way;
  return true;
}

}  // namespace

AcpiLibraryTable& AcpiLibrary() {
  static AcpiLibraryTable table;
  return table;
}

std::span<const std::string_view> AcpiLibraryNames() { return kNames; }

bool BindAcpiLibrary(SymbolLookup lookup, void* context) {
  AcpiLibraryTable bound;
  bool complete = true;
  std::size_t index = 0;
  auto take = [&](auto& entry) {
    const std::string name(kNames[index++]);
    void* address = lookup(context, name.c_str());
    if (address == nullptr) complete = false;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
  };
  take(bound.GetZYLACPIDeviceTypeEx);
  take(bound.InitializeZYLACPIDeviceEx);
  take(bound.One_WMIMethod_INTEx);
  for (auto& entry : bound.unused) take(entry);
  if (!complete) {
    ClearAcpiLibrary();
    return false;
  }
  AcpiLibrary() = bound;
  return true;
}

void ClearAcpiLibrary() { AcpiLibrary() = AcpiLibraryTable{}; }

std::uint32_t AcpiDeviceType() {
  const auto get = AcpiLibrary().GetZYLACPIDeviceTypeEx;
  return get != nullptr ? get() : 0;
}

std::uint32_t InitializeAcpiDevice() {
  const auto initialize = AcpiLibrary().InitializeZYLACPIDeviceEx;
  return initialize != nullptr ? initialize(0) : 0;
}

const AcpiLibraryState& AcpiLibraryLoadState() { return g_state; }

bool LoadAcpiLibrary(std::string_view randomFileName, IMessageSink& messages) {
  if (g_state.module != nullptr) return true;  // loaded once per run
  g_state.way = AcpiLoadWay::kNone;
  if (TryCurrentFolder(AcpiLoadWay::kCurrentFolder)) return true;
  if (TryWrittenCopy(randomFileName, AcpiLoadWay::kWrittenCopy)) return true;
  // The library in the current directory may lack only its runtime: put the carried runtime
  // beside it, but never over a file of that name that is already there.
  const std::filesystem::path runtimePath = CurrentFolderPath(kRuntimeLibraryFile);
  if (!runtimePath.empty() && !EntryExists(runtimePath)) {
    WriteResourceToFile(runtimePath, kRuntimeLibraryResourceId, "DLL");
  }
  if (TryCurrentFolder(AcpiLoadWay::kCurrentFolderWithRuntime)) return true;
  if (TryWrittenCopy(randomFileName, AcpiLoadWay::kWrittenCopyAgain)) return true;
  ClearAcpiLibrary();
  messages.ShowMessage(kAcpiLoadErrorText, kAcpiLoadErrorCaption);
  return false;
}

void UnloadAcpiLibrary() {
  if (g_state.module != nullptr) {
    ClearAcpiLibrary();
    os::FreeLibrary(g_state.module);
    g_state.module = nullptr;
  }
  os::FreeLibrary(g_state.runtimeModule);
  g_state.runtimeModule = nullptr;
  if (g_state.writtenCopy) os::RemoveWrittenFile(g_state.path);
  g_state.writtenCopy = false;
  g_state.way = AcpiLoadWay::kNone;
}

}  // namespace hw
