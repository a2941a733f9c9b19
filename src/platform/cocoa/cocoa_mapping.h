#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellicor::cocoa {

// The Objective-C selector for a menu action: a one-argument action method,
// "quitApp" becoming "quitApp:". Empty for no action.
std::string actionSelectorName(std::string_view action);

// The C++ action name for a selector the delegate adaptor received.
std::string actionFromSelectorName(std::string_view selector);

// A one-shot deadline as dispatch takes it: nanoseconds from now, 0 for a
// zero or negative delay, none (never fires) for a delay that is not finite
// or too far away to represent.
std::optional<std::int64_t> dispatchDelayNanoseconds(double seconds);

}  // namespace vellicor::cocoa
