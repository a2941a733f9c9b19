// The program's cost in a GNOME session, measured from outside as another
// client of the session sees it (bench/gnome-bench runs it in the gnome rig of
// the end-to-end tests): for each switch, from Super+Space typed into the shell
// to the shell's write of mru-sources as a GSettings client hears it, and to
// the panel mapped on XWayland; then what the program does when nothing
// happens.
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
#include <vector>

#include "hud_watch.h"

using namespace vellicor::bench;

namespace {

// When the shell last rewrote mru-sources, as a GSettings client of its own
// hears it: on a thread running a GLib main context of its own.
class MruWatch {
 public:
  MruWatch() {
    thread_ = std::thread([this] {
      GMainContext* context = g_main_context_new();
      g_main_context_push_thread_default(context);
      GSettings* settings = g_settings_new("org.gnome.desktop.input-sources");
      g_signal_connect(settings, "changed::mru-sources",
                       G_CALLBACK(+[](GSettings*, const gchar*, gpointer self) {
                         static_cast<MruWatch*>(self)->changed_ =
                             Clock::now().time_since_epoch().count();
                       }),
                       this);
      // GSettings announces changes of keys that have been read.
      g_variant_unref(g_settings_get_value(settings, "mru-sources"));
      loop_ = g_main_loop_new(context, FALSE);
      ready_ = true;
      g_main_loop_run(loop_);
      g_object_unref(settings);
      g_main_loop_unref(loop_);
      g_main_context_pop_thread_default(context);
      g_main_context_unref(context);
    });
    while (!ready_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~MruWatch() {
    g_main_loop_quit(loop_);
    thread_.join();
  }
  // Milliseconds from `t` to the last change, when it came after `t`.
  std::optional<double> since(Clock::time_point t) const {
    const Clock::time_point at{Clock::duration(changed_.load())};
    if (at <= t) {
      return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(at - t).count();
  }

 private:
  std::thread thread_;
  GMainLoop* loop_ = nullptr;
  std::atomic<bool> ready_{false};
  std::atomic<Clock::rep> changed_{0};
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
  const MruWatch mru;
  auto hud = std::make_unique<HudWatch>(d);
  if (!hud->find(superSpace)) {
    std::fprintf(stderr, "the panel never appeared\n");
    return 1;
  }
  std::vector<double> shellMs, mappedMs, programMs;
  for (int i = 0; i < switches; ++i) {
    Clock::time_point t;
    const HudWatch::Times times = hud->measure([&] {
      t = Clock::now();
      superSpace();
    });
    const auto shell = mru.since(t);
    if (shell) {
      shellMs.push_back(*shell);
    }
    if (times.mapped) {
      mappedMs.push_back(*times.mapped);
      if (shell) {
        programMs.push_back(*times.mapped - *shell);
      }
    }
  }

  std::printf("| switch (Super+Space typed into the shell) | min | median | p90 | max |\n");
  std::printf("|---|---|---|---|---|\n");
  row("to the shell's mru-sources heard by a GSettings client", shellMs);
  row("to the panel mapped on XWayland", mappedMs);
  row("from mru-sources heard to the panel mapped", programMs);
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
