#pragma once

#include <functional>
#include <string>

namespace vellicor::qt {

// What the environment says of the session the program runs in.
struct SessionFacts {
  std::string currentDesktop;  // XDG_CURRENT_DESKTOP: names separated by colons
  bool wayland = false;        // WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE is wayland
  std::string swaySocket;      // SWAYSOCK
};

// The session's own tracker, chosen by what the session is: Plasma's layout
// service or GNOME's input sources in a Plasma or GNOME session on Wayland,
// as XDG_CURRENT_DESKTOP names it; sway's IPC in a session that names sway,
// or names no desktop at all, when SWAYSOCK names a socket that `whyNotSway`
// finds nothing against (it answers, and is this user's and this session's). A SWAYSOCK passed over
// is left with why in `passedOver`: it is often left behind in a user's environment by a sway
// session that ended, or by one on another seat.
enum class SessionChoice { None, Sway, KWin, Gnome };
SessionChoice chooseSession(const SessionFacts& facts,
                            const std::function<std::string(const std::string&)>& whyNotSway,
                            std::string& passedOver);

}  // namespace vellicor::qt
