// The program's own resources, found by id and type.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace resources {

inline constexpr int kBridgeLibraryResource = 150;     // TesselDll.dll
inline constexpr int kEcLibraryResource = 129;         // Brantel.dll
inline constexpr int kRuntimeLibraryResource = 131;    // msvcr100.dll
inline constexpr int kAcpiLibraryResource = 133;       // Sorrel.dll
inline constexpr std::string_view kLibraryResourceType = "DLL";

struct ResourceEntry {
  int id;
  const char* type;
  const std::uint8_t* begin;
  const std::uint8_t* end;
};

// The bytes of the resource, or an empty span when the program carries no such resource.
// The type is compared without regard to case, as resource types are.
std::span<const std::uint8_t> FindResource(int id, std::string_view type);

// Every embedded resource (generated at build time).
std::span<const ResourceEntry> CarriedResourceEntries();

}  // namespace resources
