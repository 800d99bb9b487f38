#include "hw/bridge_loader.h"

#include "hw/bridge_library.h"
#include "os/written_files.h"

namespace hw {

namespace {

constexpr int kBridgeLibraryResourceId = 150;

void Adopt(LibraryBinding& binding, os::LibraryHandle module) {
  binding.module = module;
  binding.unbind = ClearBridgeLibrary;
}

}  // namespace

bool BindBridgeExports(const LibraryBinding& binding) {
  if (binding.module == nullptr) {
    ClearBridgeLibrary();
    return false;
  }
  return BindBridgeLibrary(os::LookupExport, binding.module);
}

bool LoadBridgeLibrary(LibraryBinding& binding, std::string_view randomFileName) {
  binding.path = ResFolderPath("TesselDll.dll");
  if (os::LibraryHandle module = LoadAndBind(binding.path, BindBridgeLibrary)) {
    Adopt(binding, module);
    binding.keepFile = 1;
    return true;
  }
  binding.path = TempFolderPath(randomFileName);
  binding.keepFile = 0;
  if (!WriteResourceToFile(binding.path, kBridgeLibraryResourceId, "DLL")) return false;
  if (os::LibraryHandle module = LoadAndBind(binding.path, BindBridgeLibrary)) {
    Adopt(binding, module);
    return true;
  }
  os::RemoveWrittenFile(binding.path);
  return false;
}

}  // namespace hw
