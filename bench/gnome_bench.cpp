// The program's cost in a GNOME session, measured from outside as another
// client of the session sees it (bench/gnome-bench runs it in the gnome rig of
// the end-to-end tests): for each switch, from Super+Space typed into the shell
// to the shell's write of mru-sources as a GSettings client hears it, to the
// signal of Vellicor's shell extension as a D-Bus client hears it (where the
// extension is enabled), and to the panel mapped on XWayland; then what the
// program does when nothing happens.
//   vellicor_gnome_bench PID KEYBOARD_FIFO [SWITCHES [IDLE_SECONDS]]
// KEYBOARD_FIFO is the rig's keyboard (rd-input.py's FIFO, $XDG_RUNTIME_DIR/input);
// IDLE_SECONDS 0 leaves the idle measurement out.

#include <X11/Xlib.h>
#include <gio/gio.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "hud_watch.h"

using namespace vellicor::bench;

namespace {

// When the shell last rewrote mru-sources, as a GSettings client of its own
// hears it, and when the shell extension last signalled a switch, as a D-Bus
// client hears it: on a thread running a GLib main context of its own.
class ShellWatch {
 public:
  ShellWatch() {
    thread_ = std::thread([this] {
      GMainContext* context = g_main_context_new();
      g_main_context_push_thread_default(context);
      GSettings* settings = g_settings_new("org.gnome.desktop.input-sources");
      g_signal_connect(settings, "changed::mru-sources",
                       G_CALLBACK(+[](GSettings*, const gchar*, gpointer self) {
                         static_cast<ShellWatch*>(self)->changed_ =
                             Clock::now().time_since_epoch().count();
                       }),
                       this);
      GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
      const guint subscription =
          bus == nullptr ? 0
                         : g_dbus_connection_signal_subscribe(
                               bus, "org.gnome.Shell", "app.vellicor.Shell1", "SourceChanged",
                               "/app/vellicor/Shell", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                               +[](GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                   const gchar*, GVariant*, gpointer self) {
                                 static_cast<ShellWatch*>(self)->signalled_ =
                                     Clock::now().time_since_epoch().count();
                               },
                               this, nullptr);
      // GSettings announces changes of keys that have been read.
      g_variant_unref(g_settings_get_value(settings, "mru-sources"));
      loop_ = g_main_loop_new(context, FALSE);
      ready_ = true;
      g_main_loop_run(loop_);
      if (bus != nullptr) {
        g_dbus_connection_signal_unsubscribe(bus, subscription);
        g_object_unref(bus);
      }
      g_object_unref(settings);
      g_main_loop_unref(loop_);
      g_main_context_pop_thread_default(context);
      g_main_context_unref(context);
    });
    while (!ready_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~ShellWatch() {
    g_main_loop_quit(loop_);
    thread_.join();
  }
  // Milliseconds from `t` to the last rewrite of mru-sources, and to the last
  // signal, when they came after `t`.
  std::optional<double> mruSince(Clock::time_point t) const { return after(t, changed_); }
  std::optional<double> signalSince(Clock::time_point t) const { return after(t, signalled_); }

 private:
  std::thread thread_;
  GMainLoop* loop_ = nullptr;
  std::atomic<bool> ready_{false};
  std::atomic<Clock::rep> changed_{0};
  std::atomic<Clock::rep> signalled_{0};

  static std::optional<double> after(Clock::time_point t, const std::atomic<Clock::rep>& when) {
    const Clock::time_point at{Clock::duration(when.load())};
    if (at <= t) {
      return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(at - t).count();
  }
};

void row(const char* what, const std::vector<double>& ms) {
  std::printf("| %s (%zu switches) | %.1f ms | %.1f ms | %.1f ms | %.1f ms |\n", what, ms.size(),
              percentile(ms, 0.0), percentile(ms, 0.5), percentile(ms, 0.9), percentile(ms, 1.0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PID KEYBOARD_FIFO [SWITCHES [IDLE_SECONDS]]\n", argv[0]);
    return 2;
  }
  const pid_t pid = static_cast<pid_t>(std::atoi(argv[1]));
  const std::string keyboard = argv[2];
  const int switches = argc > 3 ? std::atoi(argv[3]) : 20;
  const int idleSeconds = argc > 4 ? std::atoi(argv[4]) : 30;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "cannot open display\n");
    return 1;
  }
  // Super+Space goes back to the source used before: each press switches.
  const auto superSpace = [&] { std::ofstream(keyboard) << "key Super_L+space\n"; };
  const ShellWatch shell;
  auto hud = std::make_unique<HudWatch>(d);
  if (!hud->find(superSpace)) {
    std::fprintf(stderr, "the panel never appeared\n");
    return 1;
  }
  std::vector<double> mruMs, signalMs, mappedMs, fromMruMs, fromSignalMs;
  for (int i = 0; i < switches; ++i) {
    Clock::time_point t;
    const HudWatch::Times times = hud->measure([&] {
      t = Clock::now();
      superSpace();
    });
    const auto mru = shell.mruSince(t);
    const auto signal = shell.signalSince(t);
    for (const auto& [heard, to] : {std::pair{mru, &mruMs}, std::pair{signal, &signalMs}}) {
      if (heard) {
        to->push_back(*heard);
      }
    }
    if (times.mapped) {
      mappedMs.push_back(*times.mapped);
      for (const auto& [heard, to] :
           {std::pair{mru, &fromMruMs}, std::pair{signal, &fromSignalMs}}) {
        if (heard) {
          to->push_back(*times.mapped - *heard);
        }
      }
    }
  }

  std::printf("| switch (Super+Space typed into the shell) | min | median | p90 | max |\n");
  std::printf("|---|---|---|---|---|\n");
  row("to the shell's mru-sources heard by a GSettings client", mruMs);
  if (!signalMs.empty()) {
    row("to the shell extension's signal heard by a D-Bus client", signalMs);
  }
  row("to the panel mapped on XWayland", mappedMs);
  row("from mru-sources heard to the panel mapped", fromMruMs);
  if (!fromSignalMs.empty()) {
    row("from the extension's signal heard to the panel mapped", fromSignalMs);
  }
  if (idleSeconds <= 0) {
    return mappedMs.size() == static_cast<size_t>(switches) ? 0 : 1;
  }

  std::this_thread::sleep_for(std::chrono::seconds(2));
  const Activity idleStart = activityOf(pid);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const Activity idleEnd = activityOf(pid);
  hud.reset();
  long wakeups = 0;
  const std::string perThread = threadWakeups(idleStart, idleEnd, wakeups);
  std::printf("\n| idle, %d s without switches | value | target |\n|---|---|---|\n", idleSeconds);
  std::printf("| context switches (wakeups), all threads | %ld: %s | 0 |\n", wakeups,
              perThread.c_str());
  std::printf("| CPU time | %.0f ms | near zero |\n", cpuMs(idleStart, idleEnd));
  XCloseDisplay(d);
  return mappedMs.size() == static_cast<size_t>(switches) ? 0 : 1;
}
