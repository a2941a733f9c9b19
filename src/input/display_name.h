#pragma once

#include <string_view>

namespace vellicor {

// The name shown for an input source that cannot be named.
inline constexpr std::string_view kUnknownSourceName = "알 수 없음";

// How long the heads-up panel stays after a change, in seconds.
inline constexpr double kChangeHUDDuration = 1.2;

}  // namespace vellicor
