#pragma once

namespace vellicor {

// The label's font: the system font at this size and semibold weight, also the
// fall-back when the label reports none.
inline constexpr double kHUDFontSize = 30.0;
// Fitting never goes below this size.
inline constexpr double kHUDMinimumFontSize = 18.0;

}  // namespace vellicor
