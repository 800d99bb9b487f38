#include "hw/bridge_loader.h"

#include "hw/bridge_library.h"

namespace hw {

namespace {

constexpr int kBridgeLibraryResourceId = 150;

}  // namespace

bool BindBridgeExports(const LibraryBinding& binding) {
  if (binding.module == nullptr) {
    ClearBridgeLibrary();
    return false;
  }
  return BindBridgeLibrary(os::LookupExport, binding.module);
}

bool LoadBridgeLibrary(LibraryBinding& binding, std::string_view randomFileName) {
  const CarriedLibrary library{ResFolderPath("TesselDll.dll"), kBridgeLibraryResourceId, BindBridgeLibrary,
                               ClearBridgeLibrary};
  return LoadInPlaceOrCarried(binding, library, randomFileName);
}

}  // namespace hw
