// Vellicor on a Linux X11 desktop.

#include <xcb/xcb.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/vellicor_app.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/qt_desktop.h"

namespace {

// Qt gives up with an abort when it cannot reach the display, so the display
// is tried first, to say plainly what is wrong.
bool checkDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    std::fprintf(stderr,
                 "vellicor: no X display: DISPLAY is not set. Start Vellicor from an X11 desktop "
                 "session (tools/run without a display runs a demo on a virtual one).\n");
    return false;
  }
  xcb_connection_t* c = xcb_connect(display, nullptr);
  const int error = xcb_connection_has_error(c);
  xcb_disconnect(c);
  if (error != 0) {
    std::fprintf(stderr, "vellicor: cannot open X display \"%s\"\n", display);
    return false;
  }
  return true;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  vellicor::qt::QtApplication::blockTerminationSignals();
  if (!checkDisplay()) {
    return 2;
  }
  // One instance per user and display: a second start says who runs and
  // leaves before it shows anything.
  const auto instance =
      vellicor::qt::InstanceLock::take(environment("XDG_RUNTIME_DIR"), environment("DISPLAY"));
  if (instance.heldElsewhere) {
    if (instance.holder > 0) {
      std::fprintf(stderr, "vellicor: already running (pid %ld)\n", instance.holder);
    } else {
      std::fprintf(stderr, "vellicor: already running\n");
    }
    return 0;
  }
  if (!instance.lock) {
    std::fprintf(stderr, "vellicor: %s; starting without the check for another instance\n",
                 instance.error.c_str());
  }
  vellicor::qt::QtDesktop::prepareQt();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vellicor"));
  QApplication::setQuitOnLastWindowClosed(false);

  std::string error;
  auto desktop = vellicor::qt::QtDesktop::open(error);
  if (!desktop) {
    std::fprintf(stderr, "vellicor: %s\n", error.c_str());
    return 3;
  }
  const int status = vellicor::VellicorApp::main(desktop->platform());
  return status != 0 ? status : desktop->application.exitStatus();
}
