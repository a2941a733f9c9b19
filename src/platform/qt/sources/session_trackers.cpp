#include "platform/qt/sources/session_trackers.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QList>
#include <utility>

#include "platform/qt/sources/gio_library.h"
#include "platform/qt/sources/gnome_tracker.h"
#include "platform/qt/sources/kwin_tracker.h"
#include "platform/qt/sources/sway_tracker.h"

namespace vellicor::qt {
namespace {

bool isSocket(const QByteArray& path) {
  struct stat st {};
  return path.startsWith('/') && stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// XDG_CURRENT_DESKTOP is a list separated by colons: "KDE", "GNOME",
// "ubuntu:GNOME", "GNOME-Classic:GNOME".
bool desktopNames(const char* name) {
  for (const QByteArray& desktop : qgetenv("XDG_CURRENT_DESKTOP").split(':')) {
    if (desktop.compare(name, Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

// A program started in a Wayland session has WAYLAND_DISPLAY, unless its
// launcher took it away to keep it on X11; the login manager's session type
// says so all the same.
bool waylandSession() {
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
}

}  // namespace

std::unique_ptr<SessionTracker> openSessionTracker(SessionBus& sessionBus, GioLibrary& gio,
                                                   std::function<void()> changed,
                                                   std::function<void(const std::string&)> note) {
  const QByteArray sway = qgetenv("SWAYSOCK");
  if (isSocket(sway)) {
    return std::make_unique<SwayTracker>(sway.toStdString(), std::move(changed), std::move(note));
  }
  if (waylandSession() && desktopNames("KDE")) {
    return std::make_unique<KWinTracker>(sessionBus, std::move(changed), std::move(note));
  }
  if (waylandSession() && desktopNames("GNOME")) {
    std::string why;
    if (GnomeTracker::available(gio, why)) {
      return std::make_unique<GnomeTracker>(sessionBus, *gio.calls(), std::move(changed),
                                            std::move(note));
    }
    note("GNOME's input sources cannot be followed: " + why);
  }
  return nullptr;
}

}  // namespace vellicor::qt
