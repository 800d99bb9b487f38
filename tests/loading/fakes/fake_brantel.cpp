// An EC library for the loading tests: every export name (GetRev left out when
// FAKE_OMIT_GETREV is defined); it remembers the resize callback it was given.
#include "hw/ec_library_abi.h"
#include "hw/ec_library_names.h"

namespace {
EcBufResizeCallback g_callback = nullptr;
}

extern "C" {
std::uint32_t LoadECDriver() { return 1; }
void UnloadECDriver() {}
void SetBufResizeCallback(EcBufResizeCallback callback) { g_callback = callback; }
void ECMem3r(EcMemBlock*) {}
void ECMem3w(EcMemBlock*) {}
void RomRead(EcMemBlock*) {}
void Ext3rdCmd(EcExtCmdBlock*) {}
void IOWrite8(std::uint16_t, std::uint8_t) {}
void IndexIO(std::uint16_t, std::uint16_t, std::uint8_t*) {}
void ReadPhyMemory(EcBufferDescriptor*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void MAPPHYSTOLIN(EcMapBlock*) {}
void UNMAPPHYSADDR(EcMapBlock*) {}
#ifdef FAKE_OMIT_GETREV
#define GetRev FakeRenamedGetRev  // exported under another name, so "GetRev" is missing
#endif
#define FAKE_UNUSED(name) std::uint32_t name() { return 0; }
PACKWATCH_EC_UNUSED_EXPORTS(FAKE_UNUSED)
EcBufResizeCallback FakeRegisteredCallback() { return g_callback; }
}
