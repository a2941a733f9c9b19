#pragma once

#include <chrono>

namespace vellicor {

using WallTime = std::chrono::system_clock::time_point;

// Wall-clock time; `distantPast` is the value of a record that was never set.
class WallClock {
 public:
  virtual ~WallClock() = default;
  virtual WallTime now() const = 0;
  static constexpr WallTime distantPast() { return WallTime::min(); }
};

}  // namespace vellicor
