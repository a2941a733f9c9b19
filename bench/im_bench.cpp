// The program following input-method frameworks on a real X desktop, measured
// from outside: a switch made as a user makes it to the HUD mapped and painted,
// and what the program does while nothing changes.
//   vellicor_im_bench VELLICOR_BINARY ibus SWITCHES IDLE_SECONDS
//     IBus with the Hangul engine and a focused text field: Shift+Space
//     pressed (XTest) toggles Hangul and Latin.
//   vellicor_im_bench VELLICOR_BINARY fcitx5 SWITCHES IDLE_SECONDS STAND_IN
//     Fcitx5 with a focused text field: SetCurrentIM alternates Hangul and the
//     US keyboard, first with no StatusNotifierWatcher (the program asks four
//     times a second), then with the stand-in watcher STAND_IN puts up.
// bench/im-bench-session prepares the desktop and runs both.

// Qt before Xlib, whose macros (Bool, Status) Qt's headers refuse to follow.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hud_watch.h"  // after Qt, for the same reason

using namespace vellicor::bench;

namespace {

void latencyRows(const std::string& what, const std::vector<HudWatch::Times>& samples,
                 int switches) {
  std::vector<double> mapped, painted;
  for (const auto& s : samples) {
    if (s.mapped) {
      mapped.push_back(*s.mapped);
    }
    if (s.painted) {
      painted.push_back(*s.painted);
    }
  }
  for (const auto& [name, values] : {std::pair{"mapped", mapped}, {"painted", painted}}) {
    std::printf("| %s to HUD %s (%zu of %d switches) | %.2f ms | %.2f ms | %.2f ms |\n",
                what.c_str(), name, values.size(), switches, percentile(values, 0.5),
                percentile(values, 0.99), percentile(values, 1.0));
  }
}

void idleRow(const std::string& what, pid_t pid, int seconds) {
  const Activity before = activityOf(pid);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const Activity after = activityOf(pid);
  long total = 0;
  const std::string perThread = threadWakeups(before, after, total);
  std::printf("| %s, %d s | %.1f a second (%ld: %s) | %.0f ms |\n", what.c_str(), seconds,
              static_cast<double>(total) / seconds, total, perThread.c_str(), cpuMs(before, after));
}

std::vector<HudWatch::Times> measure(HudWatch& hud, int switches,
                                     const std::function<void(int)>& trigger) {
  std::vector<HudWatch::Times> samples;
  for (int i = 0; i < switches; ++i) {
    samples.push_back(hud.measure([&] { trigger(i); }));
  }
  return samples;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s VELLICOR_BINARY ibus|fcitx5 SWITCHES IDLE_SECONDS [STAND_IN]\n",
                 argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  const std::string program = argv[1];
  const std::string framework = argv[2];
  const int switches = std::atoi(argv[3]);
  const int idleSeconds = std::atoi(argv[4]);
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "cannot open display\n");
    return 1;
  }
  const pid_t pid = spawn({program});
  if (pid < 0 || !waitDocked(d, 10)) {
    std::fprintf(stderr, "the program did not start\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  auto hud = std::make_unique<HudWatch>(d);
  std::printf("| measure | median | p99 | max |\n|---|---|---|---|\n");

  if (framework == "ibus") {
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
    const KeyCode space = XKeysymToKeycode(d, XK_space);
    const auto toggle = [&](int) {
      XTestFakeKeyEvent(d, shift, True, CurrentTime);
      XTestFakeKeyEvent(d, space, True, CurrentTime);
      XTestFakeKeyEvent(d, space, False, CurrentTime);
      XTestFakeKeyEvent(d, shift, False, CurrentTime);
      XFlush(d);
    };
    if (!hud->find([&] { toggle(0); })) {
      std::fprintf(stderr, "the HUD never appeared for Shift+Space\n");
      stop(pid);
      return 1;
    }
    latencyRows("ibus-hangul Shift+Space", measure(*hud, switches, toggle), switches);
    std::printf("\n| idle | wakeups (context switches) | CPU time |\n|---|---|---|\n");
    idleRow("IBus running", pid, idleSeconds);
  } else if (framework == "fcitx5" && argc > 5) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto setIM = [&](int i) {
      QDBusMessage call = QDBusMessage::createMethodCall(
          QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
          QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("SetCurrentIM"));
      call << (i % 2 == 0 ? QStringLiteral("keyboard-us") : QStringLiteral("hangul"));
      const QDBusMessage reply = bus.call(call);
      if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "SetCurrentIM: %s\n", qPrintable(reply.errorMessage()));
      }
    };
    if (!hud->find([&] { setIM(1); })) {
      std::fprintf(stderr, "the HUD never appeared for an Fcitx5 switch\n");
      stop(pid);
      return 1;
    }
    latencyRows("Fcitx5 switch, no watcher", measure(*hud, switches, setIM), switches);
    const pid_t watcher = spawn({argv[5], "watcher"});
    if (watcher < 0) {
      std::fprintf(stderr, "cannot start the watcher %s\n", argv[5]);
      stop(pid);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    latencyRows("Fcitx5 switch, watcher", measure(*hud, switches, setIM), switches);
    std::printf("\n| idle | wakeups (context switches) | CPU time |\n|---|---|---|\n");
    idleRow("Fcitx5 running, watcher", pid, idleSeconds);
    stop(watcher);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    idleRow("Fcitx5 running, no watcher (asking 4 times a second)", pid, idleSeconds);
  } else {
    std::fprintf(stderr, "unknown framework %s\n", framework.c_str());
    stop(pid);
    return 2;
  }
  hud.reset();
  stop(pid);
  XCloseDisplay(d);
  return 0;
}
