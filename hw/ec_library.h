// The process-wide EC library function table: one entry per export of "Brantel.dll", each
// empty until bound by name.
#pragma once

#include "hw/ec_library_abi.h"

#include <span>
#include <string_view>

namespace hw {

struct EcLibraryTable {
  EcLoadDriverFn LoadECDriver = nullptr;
  EcUnloadDriverFn UnloadECDriver = nullptr;
  EcSetBufResizeCallbackFn SetBufResizeCallback = nullptr;
  EcMemFn ECMem3r = nullptr;
  EcMemFn ECMem3w = nullptr;
  EcMemFn RomRead = nullptr;
  EcExtCmdFn Ext3rdCmd = nullptr;
  EcIoWrite8Fn IOWrite8 = nullptr;
  EcIndexIoFn IndexIO = nullptr;
  EcReadPhyMemoryFn ReadPhyMemory = nullptr;
  EcMapFn MAPPHYSTOLIN = nullptr;
  EcMapFn UNMAPPHYSADDR = nullptr;
  // Bound but never called; kept so a library that lacks one of them is still noticed.
  EcUnusedFn unused[57] = {};
};

// The one table of the process.
EcLibraryTable& EcLibrary();

// Export names of the entries that are called, in table order.
std::span<const std::string_view> EcLibraryCalledNames();
// Export names of the entries that are bound but never called, in the order of `unused`.
std::span<const std::string_view> EcLibraryUnusedNames();

// Binds every name through `lookup` (name -> address or null). Returns false, leaving the
// table empty, when any name is missing: a call must never go through an empty entry.
using SymbolLookup = void* (*)(void* context, const char* name);
bool BindEcLibrary(SymbolLookup lookup, void* context);
void ClearEcLibrary();

// Fills the descriptor's storage anew: size newSize, 0xCD filler, old bytes kept.
// Registered with SetBufResizeCallback after binding.
extern "C" void EcBufferResize(EcBufferDescriptor* descriptor, std::uint32_t newSize);

}  // namespace hw
