#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vellicor::bench {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t);
double percentile(std::vector<double> v, double p);

pid_t spawn(const std::vector<std::string>& argv);
void stop(pid_t pid);
bool classIs(Display* d, Window w, const char* name);
// Waits for the program's tray icon to dock in the tray host.
// Waits for a tray icon of the program whose WM_CLASS instance is `program`.
bool waitDocked(Display* d, double seconds, const char* program = "vellicor");

// Per thread: its name and context switches; and the process's CPU time in ticks.
struct Activity {
  std::map<std::string, std::pair<std::string, long>> threads;  // id -> (name, switches)
  long cpuTicks = 0;
};
Activity activityOf(pid_t pid);
// What each thread did between two readings ("name +switches", "(ended)", "(new)").
std::string threadWakeups(const Activity& before, const Activity& after, long& total);
// CPU time between two readings, in milliseconds.
double cpuMs(const Activity& before, const Activity& after);

// What a running process has used so far, all its threads together, those
// that have ended among them: CPU time (to the nanosecond, from the process's
// CPU clock) and minor page faults.
struct Spent {
  double cpuMs = 0;
  long minorFaults = 0;
};
Spent spentBy(pid_t pid);

// The HUD of a running program, timed from another X client: from a trigger
// (a keyboard switch, a key, a D-Bus call) to the HUD's map notification, the
// server's expose of it, and the first damage to its contents after that
// expose, which is the program's own painting. Each trigger waits for the HUD
// to hide first, so every one maps the HUD anew.
class HudWatch {
 public:
  explicit HudWatch(Display* d);
  ~HudWatch();
  HudWatch(const HudWatch&) = delete;
  HudWatch& operator=(const HudWatch&) = delete;

  // The first trigger builds the HUD and tells which window it is.
  bool find(const std::function<void()>& trigger);

  struct Times {
    std::optional<double> mapped, exposed, painted;
  };
  Times measure(const std::function<void()>& trigger);

 private:
  Display* d_;
  int damageEvent_ = 0;
  Window hud_ = 0;
  unsigned long damage_ = 0;
};

}  // namespace vellicor::bench
