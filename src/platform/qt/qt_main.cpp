// Vellicor on a Linux X11 desktop.

#include <xcb/xcb.h>

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/vellicor_app.h"
#include "platform/qt/command_line.h"
#include "platform/qt/font_setup.h"
#include "platform/qt/instance_lock.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/x11/instance_selection.h"

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A Wayland session without XWayland: nothing to show the badge and panel on.
constexpr int kNoXWayland = 4;

// Qt gives up with an abort when it cannot reach the display, so the display
// is tried first, to say plainly what is wrong: 0 when it can be used, else
// the exit status.
int checkDisplay(const std::string& display) {
  if (display.empty() && !environment("WAYLAND_DISPLAY").empty()) {
    std::fprintf(stderr,
                 "vellicor: this Wayland session runs no XWayland (DISPLAY is not set): Vellicor "
                 "shows its badge and panel through X11, and follows the session's layout "
                 "beside it. Enable XWayland in the session, or start Vellicor with -display.\n");
    return kNoXWayland;
  }
  if (display.empty()) {
    std::fprintf(stderr,
                 "vellicor: no X display: DISPLAY is not set and no -display was given. Start "
                 "Vellicor from a desktop session on X11 or XWayland.\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const int error = xcb_connection_has_error(c);
  xcb_disconnect(c);
  if (error != 0) {
    std::fprintf(stderr, "vellicor: cannot open X display \"%s\"\n", display.c_str());
    return 2;
  }
  return 0;
}

int alreadyRunning(long holder) {
  if (holder > 0) {
    std::fprintf(stderr, "vellicor: already running (pid %ld)\n", holder);
  } else {
    std::fprintf(stderr, "vellicor: already running\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vellicor::qt::QtApplication::blockTerminationSignals();
  // A write to a connection whose other end is gone (an X server killed, a
  // closed pipe on standard error) fails with an error the program handles,
  // instead of ending it without a word.
  std::signal(SIGPIPE, SIG_IGN);

  using vellicor::qt::CommandLine;
  const CommandLine line =
      vellicor::qt::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case CommandLine::Action::Help:
      std::fputs(vellicor::qt::usageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::printf("vellicor %s\n", VELLICOR_VERSION);
      return 0;
    case CommandLine::Action::Error:
      std::fprintf(stderr, "vellicor: %s\nTry 'vellicor --help'.\n", line.error.c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  // Qt reads -display from the arguments itself, so both reach the same display.
  const std::string display = line.display.empty() ? environment("DISPLAY") : line.display;
  if (const int status = checkDisplay(display); status != 0) {
    return status;
  }
  // One instance per user and display: a second start says who runs and
  // leaves before it shows anything.
  const auto instance = vellicor::qt::InstanceLock::take(environment("XDG_RUNTIME_DIR"), display);
  if (instance.heldElsewhere) {
    return alreadyRunning(instance.holder);
  }
  if (!instance.lock) {
    std::fprintf(stderr, "vellicor: %s; only the display is asked whether another instance runs\n",
                 instance.error.c_str());
  }
  auto prepared = vellicor::qt::QtDesktop::prepareQt(display);
  prepared.arguments.assign(argv, argv + argc);
  // After the environment's last change: fontconfig and the XML parser it
  // uses read variables as they start, and a variable set meanwhile may move
  // the environment under them.
  vellicor::qt::FontSetup fonts;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vellicor"));
  QApplication::setQuitOnLastWindowClosed(false);
  // The display itself answers for a program reached under another name or
  // with another environment.
  const auto claim = vellicor::qt::InstanceSelection::claim();
  if (claim.heldElsewhere) {
    return alreadyRunning(claim.holder);
  }

  std::string error;
  fonts.wait();
  auto desktop = vellicor::qt::QtDesktop::open(prepared, error);
  if (!desktop) {
    std::fprintf(stderr, "vellicor: %s\n", error.c_str());
    return 3;
  }
  const int status = vellicor::VellicorApp::main(desktop->platform());
  return status != 0 ? status : desktop->application.exitStatus();
}
