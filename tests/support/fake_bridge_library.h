// A recording stand-in for the bridge library's ReadECRAM: every frame is kept, the reply
// comes from a handler, and `fail` makes every exchange fail.
#pragma once

#include "hw/bridge_library.h"

#include <cstring>
#include <functional>
#include <vector>

namespace fake {

class FakeBridgeLibrary {
 public:
  FakeBridgeLibrary() {
    instance() = this;
    hw::BridgeLibrary() = hw::BridgeLibraryTable{};
    hw::BridgeLibrary().ReadECRAM = [](const std::uint8_t* frame, std::uint32_t frameLength,
                                       std::uint8_t* reply, std::uint32_t replyLength) -> std::uint8_t {
      FakeBridgeLibrary& self = *instance();
      self.frames.emplace_back(frame, frame + frameLength);
      self.replyLengths.push_back(replyLength);
      if (self.fail) return 0;
      std::vector<std::uint8_t> answer = self.onFrame ? self.onFrame(self.frames.back()) : std::vector<std::uint8_t>{};
      answer.resize(replyLength, 0);
      if (replyLength > 0) std::memcpy(reply, answer.data(), replyLength);
      return 1;
    };
  }
  ~FakeBridgeLibrary() {
    hw::ClearBridgeLibrary();
    instance() = nullptr;
  }
  FakeBridgeLibrary(const FakeBridgeLibrary&) = delete;
  FakeBridgeLibrary& operator=(const FakeBridgeLibrary&) = delete;

  std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)> onFrame;
  bool fail = false;
  std::vector<std::vector<std::uint8_t>> frames;
  std::vector<std::uint32_t> replyLengths;

 private:
  static FakeBridgeLibrary*& instance() {
    static FakeBridgeLibrary* current = nullptr;
    return current;
  }
};

}  // namespace fake
