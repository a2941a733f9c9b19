#pragma once

#include <string>
#include <string_view>

namespace vellicor::cocoa {

// The Objective-C selector for a menu action: a one-argument action method,
// "quitApp" becoming "quitApp:". Empty for no action.
std::string actionSelectorName(std::string_view action);

// The C++ action name for a selector the delegate adaptor received.
std::string actionFromSelectorName(std::string_view selector);

}  // namespace vellicor::cocoa
