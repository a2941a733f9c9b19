#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

class SessionBus;
class GioLibrary;

// The tracker of the session's own source, chosen by what the session is
// (session_choice.h): Plasma's layout service in a Plasma session on Wayland
// (XDG_CURRENT_DESKTOP names KDE; WAYLAND_DISPLAY is set or XDG_SESSION_TYPE
// is wayland), followed whenever the service is on the session bus; GNOME's
// input-source settings in a GNOME Wayland session where their schema is
// installed; sway's IPC where SWAYSOCK names this user's live sway and the
// session names no other desktop. A SWAYSOCK passed over is said once. None
// on an X11 desktop, and where the session offers nothing to follow. GNOME's
// settings are read through `gio`.
std::unique_ptr<SessionTracker> openSessionTracker(SessionBus& sessionBus, GioLibrary& gio,
                                                   std::function<void()> changed,
                                                   std::function<void(const std::string&)> note);

}  // namespace vellicor::qt
