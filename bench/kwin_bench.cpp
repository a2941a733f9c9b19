// The program in a KWin Wayland session, measured from outside: a switch made
// through Plasma's layout service (setLayout, as Plasma's layout applet does)
// to the HUD mapped and painted on XWayland, and what the program does while
// nothing changes.
//   vellicor_kwin_bench VELLICOR_BINARY SWITCHES IDLE_SECONDS
// Run it inside the session (DISPLAY XWayland's, the session's bus and
// XDG_CURRENT_DESKTOP): bench/kwin-bench starts one and runs it there.

// Qt before Xlib, whose macros (Bool, Status) Qt's headers refuse to follow.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hud_watch.h"  // after Qt, for the same reason

using namespace vellicor::bench;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s VELLICOR_BINARY SWITCHES IDLE_SECONDS\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  const std::string program = argv[1];
  const int switches = std::atoi(argv[2]);
  const int idleSeconds = std::atoi(argv[3]);
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "cannot open display\n");
    return 1;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  const auto setLayout = [&](unsigned layout) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.keyboard"), QStringLiteral("/Layouts"),
        QStringLiteral("org.kde.KeyboardLayouts"), QStringLiteral("setLayout"));
    call << layout;
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
      std::fprintf(stderr, "setLayout: %s\n", qPrintable(reply.errorMessage()));
    }
  };
  setLayout(0);
  const pid_t pid = spawn({program});
  if (pid < 0) {
    std::fprintf(stderr, "the program did not start\n");
    return 1;
  }
  // There is no tray to dock in: the program has settled once it has read
  // the layout service, well within this.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  auto hud = std::make_unique<HudWatch>(d);
  if (!hud->find([&] { setLayout(1); })) {
    std::fprintf(stderr, "the HUD never appeared for a switch\n");
    stop(pid);
    return 1;
  }
  std::vector<double> mapped, painted;
  for (int i = 0; i < switches; ++i) {
    const HudWatch::Times t = hud->measure([&] { setLayout(i % 2 == 0 ? 0 : 1); });
    if (t.mapped) {
      mapped.push_back(*t.mapped);
    }
    if (t.painted) {
      painted.push_back(*t.painted);
    }
  }
  std::printf("| measure | median | p99 | max |\n|---|---|---|---|\n");
  for (const auto& [name, values] : {std::pair{"mapped", mapped}, {"painted", painted}}) {
    std::printf("| setLayout to HUD %s (%zu of %d switches) | %.2f ms | %.2f ms | %.2f ms |\n",
                name, values.size(), switches, percentile(values, 0.5), percentile(values, 0.99),
                percentile(values, 1.0));
  }

  // What follows the last switch (the HUD hiding, its window put away) is
  // over before the quiet is counted.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const Activity before = activityOf(pid);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const Activity after = activityOf(pid);
  long total = 0;
  const std::string perThread = threadWakeups(before, after, total);
  std::printf("\n| idle | wakeups (context switches) | CPU time |\n|---|---|---|\n");
  std::printf("| KWin's layout service followed, %d s | %.1f a second (%ld: %s) | %.0f ms |\n",
              idleSeconds, static_cast<double>(total) / idleSeconds, total, perThread.c_str(),
              cpuMs(before, after));
  hud.reset();
  stop(pid);
  XCloseDisplay(d);
  return 0;
}
