#include "platform/common/timer_delay.h"

#include <cmath>

namespace vellicor {

std::chrono::nanoseconds timerDelay(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) {
    return std::chrono::nanoseconds::zero();
  }
  const std::chrono::nanoseconds longest = kLongestTimerDelay;
  const double nanoseconds = seconds * 1e9;
  if (nanoseconds >= static_cast<double>(longest.count())) {
    return longest;
  }
  return std::chrono::nanoseconds(static_cast<std::chrono::nanoseconds::rep>(nanoseconds));
}

}  // namespace vellicor
