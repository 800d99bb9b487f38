// What serialises bus exchanges: one holder at a time, waited for with a bound.
#pragma once

#include <chrono>

namespace bridge {

class BusLock {
 public:
  virtual ~BusLock() = default;
  // False when the lock could not be had within `timeout`.
  virtual bool Acquire(std::chrono::milliseconds timeout) = 0;
  virtual void Release() = 0;
};

}  // namespace bridge
