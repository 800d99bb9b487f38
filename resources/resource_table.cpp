#include "resources/resource_table.h"

#include <cctype>

namespace resources {

namespace {

bool SameType(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::span<const std::uint8_t> FindResource(int id, std::string_view type) {
  for (const ResourceEntry& entry : CarriedResourceEntries()) {
    if (entry.begin == nullptr || entry.id != id || !SameType(entry.type, type)) continue;
    return {entry.begin, entry.end};
  }
  return {};
}

}  // namespace resources
