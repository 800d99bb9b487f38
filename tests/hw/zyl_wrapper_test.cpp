#include "hw/zyl_wrapper.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

// A wrapper whose method answers from a prepared buffer and records the request it saw.
class ScriptedWrapper : public hw::IZylWapper {
 public:
  ScriptedWrapper() { acpiBuffer = storage.data(); }
  std::uint32_t Execute() override {
    std::memcpy(request.data(), acpiBuffer, request.size());
    for (std::size_t i = 12; i < hw::kAcpiBufferSize; ++i) acpiBuffer[i] = static_cast<std::uint8_t>(answer[i]);
    return 0xDEAD;
  }
  std::array<std::uint8_t, hw::kAcpiBufferSize> storage{}, request{}, answer{};
};

TEST(ZylWrapper, RequestsCarryTheExchangeHeader) {
  ScriptedWrapper wrapper;
  wrapper.storage.fill(0xEE);  // leftovers must be cleared
  wrapper.answer[12] = 0x34;
  wrapper.answer[13] = 0x12;
  EXPECT_EQ(wrapper.SmbusReadWord(1, 0x0B), 0x1234);
  const std::uint8_t header[12] = {48, 0, 2, 0, 48, 0, 0, 0, 1, 9, 0x16, 0x0B};
  EXPECT_EQ(std::memcmp(wrapper.request.data(), header, 12), 0);
  EXPECT_EQ(wrapper.request[40], 0);
  EXPECT_EQ(wrapper.SmbusReadByte(2, 0x0C), 0x34);
  EXPECT_EQ(wrapper.request[8], 2);
  EXPECT_EQ(wrapper.request[9], 7);
}

TEST(ZylWrapper, BlockCopiesFromOffsetSixteen) {
  ScriptedWrapper wrapper;
  for (std::size_t i = 0; i < hw::kAcpiBufferSize; ++i) wrapper.answer[i] = static_cast<std::uint8_t>(i);
  std::uint8_t destination[8] = {};
  wrapper.SmbusReadBlock(1, 0x21, destination, 7);
  EXPECT_EQ(wrapper.request[9], 11);
  const std::uint8_t expected[8] = {16, 17, 18, 19, 20, 21, 22, 0};
  EXPECT_EQ(std::memcmp(destination, expected, 8), 0);
}

TEST(ZylWrapper, NoBufferReadsZeroAndCopiesNothing) {
  ScriptedWrapper wrapper;
  wrapper.acpiBuffer = nullptr;
  EXPECT_EQ(wrapper.SmbusReadWord(1, 0x0B), 0);
  EXPECT_EQ(wrapper.SmbusReadByte(1, 0x0C), 0);
  std::uint8_t destination[4] = {9, 9, 9, 9};
  wrapper.SmbusReadBlock(1, 0x22, destination, 4);
  EXPECT_EQ(destination[0], 9);
}

}  // namespace
