// The I2C connections the resource hub reported at the last enumeration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace bridge {

inline constexpr std::size_t kPathCapacity = 260;  // bytes, terminator included

struct I2cConnection {
  std::uint32_t idLow = 0;
  std::uint32_t idHigh = 0;
  std::uint16_t slaveAddress = 0;
  char resourcePath[kPathCapacity] = {};
};

// Capacity and room are kept apart on purpose: a fresh table has room for four entries while its
// capacity reads 1, and growth doubles the capacity, so the second append already reallocates.
class I2cConnectionTable {
 public:
  I2cConnectionTable();

  // Forgets every entry; an empty table is left as it is.
  void Clear();
  void Append(const I2cConnection& entry);

  std::int32_t Count() const { return count_; }
  std::int32_t Capacity() const { return capacity_; }
  // Entries the current array can hold.
  std::size_t Room() const { return room_; }
  bool Empty() const { return count_ == 0; }
  const I2cConnection& operator[](std::size_t index) const { return entries_[index]; }
  const I2cConnection* begin() const { return entries_.get(); }
  const I2cConnection* end() const { return entries_.get() + count_; }

 private:
  static constexpr std::size_t kInitialRoom = 4;

  std::int32_t capacity_ = 1;
  std::int32_t count_ = 0;
  std::size_t room_ = 0;
  std::unique_ptr<I2cConnection[]> entries_;
};

}  // namespace bridge
