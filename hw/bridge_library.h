// The process-wide bridge function table: the five exports of "TesselDll.dll" the program
// uses, each empty until bound by name.
#pragma once

#include "hw/bridge_library_abi.h"
#include "hw/ec_library.h"

namespace hw {

struct BridgeLibraryTable {
  BridgeGetEcRamFn GetECRAM = nullptr;
  BridgeReadEcRamFn ReadECRAM = nullptr;
  BridgeWriteEcRamFn WriteECRAM = nullptr;
  BridgeSetI2cDeviceFn SetI2CDevice = nullptr;
  BridgeReleaseEcRamFn ReleaseECRAM = nullptr;
};

BridgeLibraryTable& BridgeLibrary();

// Binds the five names; false (table left empty) when any is missing.
bool BindBridgeLibrary(SymbolLookup lookup, void* context);
void ClearBridgeLibrary();

}  // namespace hw
