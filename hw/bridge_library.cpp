#include "hw/bridge_library.h"

#include <type_traits>

namespace hw {

BridgeLibraryTable& BridgeLibrary() {
  static BridgeLibraryTable table;
  return table;
}

bool BindBridgeLibrary(SymbolLookup lookup, void* context) {
  BridgeLibraryTable bound;
  bool complete = true;
  auto take = [&](auto& entry, const char* name) {
    void* address = lookup(context, name);
    if (address == nullptr) complete = false;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
  };
  take(bound.GetECRAM, "GetECRAM");
  take(bound.ReadECRAM, "ReadECRAM");
  take(bound.WriteECRAM, "WriteECRAM");
  take(bound.SetI2CDevice, "SetI2CDevice");
  take(bound.ReleaseECRAM, "ReleaseECRAM");
  if (!complete) {
    ClearBridgeLibrary();
    return false;
  }
  BridgeLibrary() = bound;
  return true;
}

void ClearBridgeLibrary() { BridgeLibrary() = BridgeLibraryTable{}; }

}  // namespace hw
