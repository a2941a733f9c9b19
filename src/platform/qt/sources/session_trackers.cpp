#include "platform/qt/sources/session_trackers.h"

#include <sys/stat.h>

#include <QByteArray>
#include <utility>

#include "platform/qt/sources/sway_tracker.h"

namespace vellicor::qt {
namespace {

bool isSocket(const QByteArray& path) {
  struct stat st {};
  return path.startsWith('/') && stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::unique_ptr<SessionTracker> openSessionTracker(std::function<void()> changed,
                                                   std::function<void(const std::string&)> note) {
  const QByteArray sway = qgetenv("SWAYSOCK");
  if (isSocket(sway)) {
    return std::make_unique<SwayTracker>(QString::fromLocal8Bit(sway), std::move(changed),
                                         std::move(note));
  }
  return nullptr;
}

}  // namespace vellicor::qt
