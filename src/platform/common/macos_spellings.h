#pragma once

#include <string>

#include "platform/input_sources.h"

namespace vellicor {

// The desktops other than macOS have no constants of their own for these; they
// use macOS's spellings, so that the program's log lines read the same everywhere.
inline std::string macosKeyText(PropertyKey key) {
  return key == PropertyKey::LocalizedName ? "TISPropertyLocalizedName"
                                           : "TISPropertyInputSourceID";
}
inline constexpr char kMacosSelectedSourceChanged[] =
    "com.apple.Carbon.TISNotifySelectedKeyboardInputSourceChanged";
inline constexpr char kMacosDidActivateApplication[] =
    "NSWorkspaceDidActivateApplicationNotification";

}  // namespace vellicor
