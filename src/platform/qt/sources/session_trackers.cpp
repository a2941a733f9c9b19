#include "platform/qt/sources/session_trackers.h"

#include <QByteArray>
#include <QString>
#include <utility>

#include "platform/qt/sources/gnome/gnome_tracker.h"
#include "platform/qt/sources/gsettings/gio_library.h"
#include "platform/qt/sources/kwin/kwin_tracker.h"
#include "platform/qt/sources/session_choice.h"
#include "platform/qt/sources/sway/sway_socket.h"
#include "platform/qt/sources/sway/sway_tracker.h"

namespace vellicor::qt {
namespace {

// A program started in a Wayland session has WAYLAND_DISPLAY, unless its
// launcher took it away to keep it on X11; the login manager's session type
// says so all the same.
bool waylandSession() {
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
}

// The session's Wayland display socket: WAYLAND_DISPLAY, a name in the
// runtime directory or a path. Empty where the program was not given it.
std::string compositorSocket() {
  const std::string display = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
  if (display.empty() || display.front() == '/') {
    return display;
  }
  const std::string runtime = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
  return runtime.empty() || display.find('/') != std::string::npos ? std::string()
                                                                   : runtime + "/" + display;
}

}  // namespace

std::unique_ptr<SessionTracker> openSessionTracker(SessionBus& sessionBus, GioLibrary& gio,
                                                   std::function<void()> changed,
                                                   std::function<void(const std::string&)> note) {
  const SessionFacts facts{qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(),
                           waylandSession(), qEnvironmentVariable("SWAYSOCK").toStdString()};
  std::string passedOver;
  const SessionChoice choice = chooseSession(
      facts, [](const std::string& path) { return whyNotSwaySocket(path, compositorSocket()); },
      passedOver);
  if (!passedOver.empty()) {
    note("SWAYSOCK: passed over " + facts.swaySocket + ": " + passedOver);
  }
  switch (choice) {
    case SessionChoice::Sway:
      return std::make_unique<SwayTracker>(facts.swaySocket, std::move(changed), std::move(note));
    case SessionChoice::KWin:
      return std::make_unique<KWinTracker>(sessionBus, std::move(changed), std::move(note));
    case SessionChoice::Gnome: {
      std::string why;
      if (GnomeTracker::available(gio, why)) {
        return std::make_unique<GnomeTracker>(sessionBus, *gio.calls(), std::move(changed),
                                              std::move(note));
      }
      note("GNOME's input sources cannot be followed: " + why);
      return nullptr;
    }
    case SessionChoice::None:
      break;
  }
  return nullptr;
}

}  // namespace vellicor::qt
