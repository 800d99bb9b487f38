#include "hw/ec_library.h"

#include "hw/ec_library_names.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace hw {
namespace {

#define PACKWATCH_NAME_OF_CALLED(name, type) #name,
#define PACKWATCH_NAME_OF_UNUSED(name) #name,
constexpr std::string_view kCalledNames[] = {PACKWATCH_EC_CALLED_EXPORTS(PACKWATCH_NAME_OF_CALLED)};
constexpr std::string_view kUnusedNames[] = {PACKWATCH_EC_UNUSED_EXPORTS(PACKWATCH_NAME_OF_UNUSED)};
#undef PACKWATCH_NAME_OF_CALLED
#undef PACKWATCH_NAME_OF_UNUSED

static_assert(std::size(kUnusedNames) == std::size(EcLibraryTable{}.unused));

}  // namespace

EcLibraryTable& EcLibrary() {
  static EcLibraryTable table;
  return table;
}

std::span<const std::string_view> EcLibraryCalledNames() { return kCalledNames; }
std::span<const std::string_view> EcLibraryUnusedNames() { return kUnusedNames; }

bool BindEcLibrary(SymbolLookup lookup, void* context) {
  EcLibraryTable bound;
  bool complete = true;
  auto take = [&](auto& entry, const char* name) {
    void* address = lookup(context, name);
    if (address == nullptr) complete = false;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
  };
#define PACKWATCH_BIND_CALLED(name, type) take(bound.name, #name);
  PACKWATCH_EC_CALLED_EXPORTS(PACKWATCH_BIND_CALLED)
#undef PACKWATCH_BIND_CALLED
  std::size_t slot = 0;
#define PACKWATCH_BIND_UNUSED(name) take(bound.unused[slot++], #name);
  PACKWATCH_EC_UNUSED_EXPORTS(PACKWATCH_BIND_UNUSED)
#undef PACKWATCH_BIND_UNUSED
  if (!complete) {
    ClearEcLibrary();
    return false;
  }
  EcLibrary() = bound;
  return true;
}

void ClearEcLibrary() { EcLibrary() = EcLibraryTable{}; }

extern "C" void EcBufferResize(EcBufferDescriptor* descriptor, std::uint32_t newSize) {
  if (descriptor == nullptr) return;
  auto* storage = static_cast<std::uint8_t*>(std::malloc(newSize == 0 ? 1 : newSize));
  if (storage == nullptr) return;  // keep the old storage rather than lose it
  std::memset(storage, 0xCD, newSize);
  if (descriptor->data != nullptr) {
    std::memcpy(storage, descriptor->data, std::min(descriptor->size, newSize));
    std::free(descriptor->data);
  }
  descriptor->data = storage;
  descriptor->size = newSize;
}

}  // namespace hw
