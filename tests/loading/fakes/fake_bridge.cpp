// A bridge library for the loading tests: the seven exports (one left out when
// FAKE_OMIT_RELEASE is defined). FAKE_MARK tells copies apart.
#include <cstdint>

#ifndef FAKE_MARK
#define FAKE_MARK 1
#endif

extern "C" {
std::uint8_t GetECRAM() { return FAKE_MARK; }
std::uint8_t ReadECRAM(const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint32_t) { return 0; }
std::uint8_t WriteECRAM(const std::uint8_t*, std::uint32_t) { return 0; }
std::uint32_t SetI2CDevice(const char*, std::uint32_t address) { return address; }
#ifndef FAKE_OMIT_RELEASE
void ReleaseECRAM() {}
#endif
std::uint32_t InitI2CDevice() { return 0; }
void GetI2CDevice(char (*)[260], std::uint32_t*) {}
}
