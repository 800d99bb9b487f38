#include "bridge/spb_transfer_list.h"

#include <cstring>

namespace bridge {
namespace {

constexpr std::uint32_t kDirectionFromDevice = 1;
constexpr std::uint32_t kDirectionToDevice = 2;
constexpr std::uint32_t kSimpleBuffer = 1;

template <typename T>
void Put(SpbTransferList& list, std::size_t offset, T value) {
  std::memcpy(list.bytes.data() + offset, &value, sizeof value);
}

std::uint64_t Address(const void* buffer) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(buffer));
}

// Field offsets of one transfer entry and of the list header in either layout.
struct Layout {
  std::uint32_t size;          // the list's Size field
  std::uint32_t length;        // bytes passed to the platform
  std::size_t firstEntry;      // offset of the first entry
  std::size_t entryStride;     // offset from one entry to the next
  std::size_t bufferOffset;    // buffer address inside an entry
  std::size_t capacityOffset;  // BufferCapacity inside an entry
  bool wideAddress;
};

constexpr Layout kLayout32{32, kTransferList32Length, 12, 20, 12, 16, false};
constexpr Layout kLayout64{48, kTransferList64Length, 16, 32, 16, 24, true};

void PutEntry(SpbTransferList& list, const Layout& layout, std::size_t index,
              std::uint32_t direction, const void* buffer, std::uint32_t capacity) {
  const std::size_t entry = layout.firstEntry + index * layout.entryStride;
  Put(list, entry + 0, direction);
  Put(list, entry + 4, std::uint32_t{0});  // DelayInUs
  Put(list, entry + 8, kSimpleBuffer);
  if (layout.wideAddress) {
    Put(list, entry + layout.bufferOffset, Address(buffer));
  } else {
    Put(list, entry + layout.bufferOffset, static_cast<std::uint32_t>(Address(buffer)));
  }
  Put(list, entry + layout.capacityOffset, capacity);
}

}  // namespace

SpbTransferList BuildTransferList(const TransferRequest& request, bool wideLayout) {
  const Layout& layout = wideLayout ? kLayout64 : kLayout32;
  const bool reads = request.readLength != 0;
  SpbTransferList list;
  list.length = layout.length;
  Put(list, 0, layout.size);
  Put(list, 4, std::uint32_t{0});
  Put(list, 8, std::uint32_t{reads ? 2u : 1u});
  PutEntry(list, layout, 0, kDirectionToDevice, request.writeBuffer, request.writeLength);
  if (reads) PutEntry(list, layout, 1, kDirectionFromDevice, request.readBuffer, request.readLength);
  return list;
}

}  // namespace bridge
