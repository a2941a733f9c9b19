#include "platform/qt/sources/session_trackers.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QList>
#include <utility>

#include "platform/qt/sources/gnome_tracker.h"
#include "platform/qt/sources/sway_tracker.h"

namespace vellicor::qt {
namespace {

bool isSocket(const QByteArray& path) {
  struct stat st {};
  return path.startsWith('/') && stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// XDG_CURRENT_DESKTOP is a list: "GNOME", "ubuntu:GNOME", "GNOME-Classic:GNOME".
bool desktopNames(const char* name) {
  const QList<QByteArray> names = qgetenv("XDG_CURRENT_DESKTOP").split(':');
  return names.contains(QByteArray(name));
}

}  // namespace

std::unique_ptr<SessionTracker> openSessionTracker(SessionBus& sessionBus,
                                                   std::function<void()> changed,
                                                   std::function<void(const std::string&)> note) {
  const QByteArray sway = qgetenv("SWAYSOCK");
  if (isSocket(sway)) {
    return std::make_unique<SwayTracker>(QString::fromLocal8Bit(sway), std::move(changed),
                                         std::move(note));
  }
  if (desktopNames("GNOME") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::string why;
    if (GnomeTracker::available(why)) {
      return std::make_unique<GnomeTracker>(sessionBus, std::move(changed), std::move(note));
    }
    note("GNOME's input sources cannot be followed: " + why);
  }
  return nullptr;
}

}  // namespace vellicor::qt
