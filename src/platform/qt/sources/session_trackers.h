#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// The tracker of the session's own source, chosen by what the session offers:
// sway's IPC where SWAYSOCK names its socket. None on an X11 desktop, and
// where the session offers nothing to follow.
std::unique_ptr<SessionTracker> openSessionTracker(std::function<void()> changed,
                                                   std::function<void(const std::string&)> note);

}  // namespace vellicor::qt
