// The SPB transfer list of one exchange, laid out byte by byte in the 32-bit or the 64-bit form.
#pragma once

#include <array>
#include <cstdint>

namespace bridge {

struct TransferRequest {
  std::uint32_t writeLength = 0;
  std::uint32_t readLength = 0;
  const std::uint8_t* writeBuffer = nullptr;
  std::uint8_t* readBuffer = nullptr;
};

inline constexpr std::uint32_t kTransferList32Length = 52;
inline constexpr std::uint32_t kTransferList64Length = 80;

struct SpbTransferList {
  // The full length is always passed, also when the second transfer is absent.
  std::array<std::uint8_t, kTransferList64Length> bytes{};
  std::uint32_t length = 0;
};

// A write transfer, then a read transfer when the request reads anything. Unused bytes are zero.
SpbTransferList BuildTransferList(const TransferRequest& request, bool wideLayout);

}  // namespace bridge
