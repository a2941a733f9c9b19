// The program in a Wayland session, measured from outside: a switch made
// through the compositor's own interface to the HUD mapped and painted on
// XWayland, and what the program does while nothing changes. In a KWin
// session ("kwin") the switch is Plasma's layout service's setLayout, as
// Plasma's layout applet makes it; in sway ("sway") the IPC command
// `input type:keyboard xkb_switch_layout N`, as swaymsg sends it.
//   vellicor_wayland_bench kwin|sway VELLICOR_BINARY SWITCHES IDLE_SECONDS
// Run it inside the session (DISPLAY XWayland's, the session's bus, SWAYSOCK
// in sway): bench/kwin-bench and bench/sway-bench start one and run it there.

// Qt before Xlib, whose macros (Bool, Status) Qt's headers refuse to follow.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hud_watch.h"  // after Qt, for the same reason

using namespace vellicor::bench;

namespace {

using Switcher = std::function<void(unsigned layout)>;

// Plasma's layout service, as its layout applet calls it; each call waits
// for KWin's reply.
Switcher kwinSwitcher() {
  return [](unsigned layout) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.keyboard"), QStringLiteral("/Layouts"),
        QStringLiteral("org.kde.KeyboardLayouts"), QStringLiteral("setLayout"));
    call << layout;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
      std::fprintf(stderr, "setLayout: %s\n", qPrintable(reply.errorMessage()));
    }
  };
}

// sway's IPC at SWAYSOCK: a RUN_COMMAND message (the "i3-ipc" magic, the
// payload's length and the message type in native byte order, the payload),
// and its reply read whole before the next switch.
class SwayCommands {
 public:
  SwayCommands() {
    const char* path = std::getenv("SWAYSOCK");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path == nullptr || std::strlen(path) >= sizeof address.sun_path) {
      return;
    }
    std::strcpy(address.sun_path, path);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~SwayCommands() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  SwayCommands(const SwayCommands&) = delete;
  SwayCommands& operator=(const SwayCommands&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool run(const std::string& command) {
    std::string message = "i3-ipc";
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(command.size()), 0};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message += command;
    if (!exactly(message.data(), message.size(), true)) {
      return false;
    }
    char head[14];
    if (!exactly(head, sizeof head, false)) {
      return false;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, head + 6, sizeof length);
    std::string reply(length, '\0');
    return exactly(reply.data(), reply.size(), false) &&
           reply.find("\"success\": true") != std::string::npos;
  }

 private:
  bool exactly(char* data, std::size_t size, bool writing) {
    while (size > 0) {
      const ssize_t n = writing ? write(fd_, data, size) : read(fd_, data, size);
      if (n <= 0) {
        return false;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  int fd_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s kwin|sway VELLICOR_BINARY SWITCHES IDLE_SECONDS\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  const std::string session = argv[1];
  const std::string program = argv[2];
  const int switches = std::atoi(argv[3]);
  const int idleSeconds = std::atoi(argv[4]);
  SwayCommands sway;
  Switcher setLayout;
  std::string followed;
  if (session == "kwin") {
    setLayout = kwinSwitcher();
    followed = "KWin's layout service";
  } else if (session == "sway" && sway.connected()) {
    setLayout = [&sway](unsigned layout) {
      if (!sway.run("input type:keyboard xkb_switch_layout " + std::to_string(layout))) {
        std::fprintf(stderr, "xkb_switch_layout %u: no success\n", layout);
      }
    };
    followed = "sway's IPC";
  } else {
    std::fprintf(stderr, "no %s session to switch in (kwin, or sway with SWAYSOCK)\n",
                 session.c_str());
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "cannot open display\n");
    return 1;
  }
  setLayout(0);
  const pid_t pid = spawn({program});
  if (pid < 0) {
    std::fprintf(stderr, "the program did not start\n");
    return 1;
  }
  // There is no tray to dock in: the program has settled once it has read
  // the compositor's layouts, well within this.
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
    std::printf("| switch to HUD %s (%zu of %d switches) | %.2f ms | %.2f ms | %.2f ms |\n", name,
                values.size(), switches, percentile(values, 0.5), percentile(values, 0.99),
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
  std::printf("| %s followed, %d s | %.1f a second (%ld: %s) | %.0f ms |\n", followed.c_str(),
              idleSeconds, static_cast<double>(total) / idleSeconds, total, perThread.c_str(),
              cpuMs(before, after));
  hud.reset();
  stop(pid);
  XCloseDisplay(d);
  return 0;
}
