#pragma once

#include <chrono>

namespace vellicor {

// The longest a one-shot timer waits: the most milliseconds a signed 32-bit
// count holds (about 24.8 days), so that every desktop's timer can represent it.
inline constexpr std::chrono::milliseconds kLongestTimerDelay{2'147'483'647};

// How long a one-shot timer asked to fire `seconds` from now waits. Zero and
// negative delays come due at once, and so do NaN and both infinities: none of
// them names a moment in the future, and a hide that never comes would leave the
// HUD on screen for good. Longer delays are held at `kLongestTimerDelay`.
std::chrono::nanoseconds timerDelay(double seconds);

}  // namespace vellicor
