#include "hw/library_binding.h"

#include "os/folders.h"
#include "os/written_files.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>

namespace hw {

namespace {

constexpr int kEcLibraryResourceId = 129;
constexpr std::string_view kResourceType = "DLL";

std::atomic<ResourceFinder> g_resourceFinder{nullptr};

bool EntryExists(const std::filesystem::path& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

ResourceFinder SetResourceFinder(ResourceFinder finder) { return g_resourceFinder.exchange(finder); }

bool WriteResourceToFile(const std::filesystem::path& path, int resourceId, std::string_view type) {
  const ResourceFinder finder = g_resourceFinder.load();
  if (finder == nullptr) return false;
  const std::span<const std::uint8_t> bytes = finder(resourceId, type);
  if (path.empty() || bytes.empty()) return false;
  if (EntryExists(path)) {
    // Only a file this run wrote may be replaced; never delete or write through anything else.
    if (!os::IsWrittenFile(path) || !os::RemoveWrittenFile(path)) return false;
  }
  return os::WriteNewFile(path, bytes) == os::WriteResult::kWritten;
}

std::filesystem::path ResFolderPath(std::string_view fileName) {
  const auto current = os::CurrentDirectory();
  if (!current) return {};
  const std::filesystem::path folder = *current / "res";
  return fileName.empty() ? folder : folder / fileName;
}

std::filesystem::path TempFolderPath(std::string_view fileName) {
  const std::filesystem::path folder = os::PrivateRunDirectory();
  if (folder.empty() || fileName.empty()) return folder;
  return folder / fileName;
}

std::filesystem::path CurrentFolderPath(std::string_view fileName) {
  const auto current = os::CurrentDirectory();
  if (!current) return {};
  return fileName.empty() ? *current : *current / fileName;
}

std::string CarriedCopyName(int randomValue) {
  char name[32];
  std::snprintf(name, sizeof name, "A%08X.DLL", static_cast<unsigned>(randomValue));
  return name;
}

CarriedCopyNames DrawCarriedCopyNames(os::SecondsClock clock) {
  os::RandomGenerator generator = os::RandomGenerator::SeededFromClock(clock);
  CarriedCopyNames names;
  names.bridge = CarriedCopyName(generator.Next());
  names.ecLibrary = CarriedCopyName(generator.Next());
  names.acpiLibrary = CarriedCopyName(generator.Next());
  return names;
}

os::LibraryHandle LoadAndBind(const std::filesystem::path& path, TableBinder bind) {
  os::LibraryHandle module = os::LoadLibraryAt(path);
  if (module == nullptr) return nullptr;
  if (!bind(os::LookupExport, module)) {
    os::FreeLibrary(module);
    return nullptr;
  }
  return module;
}

bool LoadInPlaceOrCarried(LibraryBinding& binding, const CarriedLibrary& library,
                          std::string_view randomFileName) {
  binding.path = library.inPlace;
  if (os::LibraryHandle module = LoadAndBind(binding.path, library.bind)) {
    binding.module = module;
    binding.unbind = library.unbind;
    binding.keepFile = 1;
    return true;
  }
  binding.path = TempFolderPath(randomFileName);
  binding.keepFile = 0;
  if (!WriteResourceToFile(binding.path, library.resourceId, kResourceType)) return false;
  if (os::LibraryHandle module = LoadAndBind(binding.path, library.bind)) {
    binding.module = module;
    binding.unbind = library.unbind;
    return true;
  }
  // A copy that does not load is of no further use.
  os::RemoveWrittenFile(binding.path);
  return false;
}

bool LoadEcLibrary(LibraryBinding& binding, std::string_view randomFileName) {
  const CarriedLibrary library{ResFolderPath("Brantel.dll"), kEcLibraryResourceId, BindEcLibrary, ClearEcLibrary};
  if (!LoadInPlaceOrCarried(binding, library, randomFileName)) return false;
  EcLibrary().SetBufResizeCallback(EcBufferResize);
  return true;
}

void UnloadLibrary(LibraryBinding& binding) {
  if (binding.module != nullptr) {
    if (binding.unbind != nullptr) binding.unbind();
    os::FreeLibrary(binding.module);
    binding.module = nullptr;
  }
  binding.unbind = nullptr;
  // RemoveWrittenFile deletes nothing but a file this run wrote and still finds in place.
  if (binding.keepFile == 0 && !binding.path.empty()) os::RemoveWrittenFile(binding.path);
}

}  // namespace hw
