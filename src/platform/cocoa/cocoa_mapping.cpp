#include "platform/cocoa/cocoa_mapping.h"

#include <cmath>
#include <limits>

namespace vellicor::cocoa {

std::string actionSelectorName(std::string_view action) {
  if (action.empty()) {
    return {};
  }
  std::string selector(action);
  if (selector.back() != ':') {
    selector += ':';
  }
  return selector;
}

std::string actionFromSelectorName(std::string_view selector) {
  if (!selector.empty() && selector.back() == ':') {
    selector.remove_suffix(1);
  }
  return std::string(selector);
}

std::optional<std::int64_t> dispatchDelayNanoseconds(double seconds) {
  if (std::isnan(seconds)) {
    return std::nullopt;
  }
  if (seconds <= 0) {
    return 0;
  }
  const double nanoseconds = seconds * 1e9;
  if (!(nanoseconds < static_cast<double>(std::numeric_limits<std::int64_t>::max()))) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(nanoseconds);
}

}  // namespace vellicor::cocoa
