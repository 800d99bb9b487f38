#include "bridge/i2c_connection_table.h"

#include <algorithm>

namespace bridge {

I2cConnectionTable::I2cConnectionTable()
    : room_(kInitialRoom), entries_(std::make_unique<I2cConnection[]>(kInitialRoom)) {}

void I2cConnectionTable::Clear() {
  if (count_ == 0) return;
  entries_ = std::make_unique<I2cConnection[]>(kInitialRoom);
  room_ = kInitialRoom;
  count_ = 0;
  capacity_ = 1;
}

void I2cConnectionTable::Append(const I2cConnection& entry) {
  if (count_ >= capacity_) {
    const std::size_t grown = static_cast<std::size_t>(capacity_) * 2;
    auto larger = std::make_unique<I2cConnection[]>(grown);
    std::copy(entries_.get(), entries_.get() + count_, larger.get());
    entries_ = std::move(larger);
    room_ = grown;
    capacity_ *= 2;
  }
  entries_[static_cast<std::size_t>(count_)] = entry;
  ++count_;
}

}  // namespace bridge
