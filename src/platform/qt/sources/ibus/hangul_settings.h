#pragma once

#include <string>

namespace vellicor::qt {

class GioLibrary;

// ibus-hangul's initial-input-mode setting ("latin" or "hangul"): the mode a
// new Hangul engine starts in. Read through GSettings; empty when ibus-hangul's
// settings schema is not installed, GIO cannot be loaded, and while the
// session bus has not answered (SessionBus::namedToLibraries).
std::string hangulInitialInputMode(GioLibrary& gio);

}  // namespace vellicor::qt
