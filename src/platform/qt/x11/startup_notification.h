#pragma once

#include <string>

namespace vellicor::qt {

// Tells the launcher that started the program with DESKTOP_STARTUP_ID that the
// start is complete (the freedesktop.org startup-notification "remove"
// message), so that its busy cursor stops. Qt sends it only when it shows a
// window, which the program may not do for a long while. Nothing is sent for
// an empty or overlong id.
void completeStartup(const std::string& id);

}  // namespace vellicor::qt
