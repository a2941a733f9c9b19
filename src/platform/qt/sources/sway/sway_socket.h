#pragma once

#include <string>

namespace vellicor::qt {

// Why the sway IPC socket at `path` is not this session's sway: empty when it
// is a socket of this user's, a process of this user's listens there, and,
// where `compositorSocket` (the session's Wayland display) is given and
// answers, that same process serves the display. Otherwise the reason, as
// "nothing listens there" for a socket a sway that ended left behind. Asks
// nothing of the server: it only connects, and hangs up.
std::string whyNotSwaySocket(const std::string& path, const std::string& compositorSocket);

}  // namespace vellicor::qt
