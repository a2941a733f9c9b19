// The program's cost on a real X desktop, measured from outside as another X
// client sees it: start-up to the tray icon docked, keyboard switch to the HUD
// mapped and to the HUD painted, memory after start and after 1,000 switches,
// and what it does when nothing happens.
//   vellicor_desktop_bench VELLICOR_BINARY [SWITCHES [IDLE_SECONDS [STARTS]]]
// Run it on a desktop with a tray host and a compositor: bench/run-desktop-bench.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "process_memory.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

pid_t spawn(const std::string& program) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

bool classIs(Display* d, Window w, const char* name) {
  XClassHint hint{};
  if (XGetClassHint(d, w, &hint) == 0) {
    return false;
  }
  const bool match = hint.res_name != nullptr && std::string(hint.res_name) == name;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return match;
}

// A window of the program reparented into another client's window: the docked tray icon.
bool trayIconDocked(Display* d, Window w, Window root, int depth = 0) {
  Window r = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(d, w, &r, &parent, &children, &count) == 0) {
    return false;
  }
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    if (depth > 0 && classIs(d, children[i], "vellicor")) {
      XWindowAttributes a{};
      found = XGetWindowAttributes(d, children[i], &a) != 0 && a.map_state == IsViewable;
    }
    if (!found && depth < 3) {
      found = trayIconDocked(d, children[i], root, depth + 1);
    }
  }
  if (children != nullptr) {
    XFree(children);
  }
  return found;
}

bool waitDocked(Display* d, double seconds) {
  const auto start = Clock::now();
  while (msSince(start) < seconds * 1000) {
    if (trayIconDocked(d, DefaultRootWindow(d), DefaultRootWindow(d))) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

// Per thread: its name and context switches; and the process's CPU time in ticks.
struct Activity {
  std::map<std::string, std::pair<std::string, long>> threads;  // id -> (name, switches)
  long cpuTicks = 0;
};

Activity activityOf(pid_t pid) {
  Activity a;
  const std::string base = "/proc/" + std::to_string(pid) + "/task";
  if (DIR* dir = opendir(base.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.')
        continue;
      const std::string task = base + "/" + entry->d_name;
      std::ifstream comm(task + "/comm");
      std::string name;
      std::getline(comm, name);
      long switches = 0;
      std::ifstream status(task + "/status");
      for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
            line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
          switches += std::atol(line.c_str() + line.find(':') + 1);
        }
      }
      a.threads[entry->d_name] = {name, switches};
    }
    closedir(dir);
  }
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15)
      a.cpuTicks += std::atol(field.c_str());
  }
  return a;
}

// What each thread did between two readings: "name +switches", "name (ended)", "name (new)".
std::string threadWakeups(const Activity& before, const Activity& after, long& total) {
  std::string out;
  total = 0;
  for (const auto& [id, thread] : before.threads) {
    const auto it = after.threads.find(id);
    const long delta = it == after.threads.end() ? 0 : it->second.second - thread.second;
    total += delta;
    out += (out.empty() ? "" : ", ") + thread.first +
           (it == after.threads.end() ? " (ended)" : " +" + std::to_string(delta));
  }
  for (const auto& [id, thread] : after.threads) {
    if (before.threads.count(id) == 0) {
      out += ", " + thread.first + " (new)";
    }
  }
  return out;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  const auto index = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(index, v.size() - 1)];
}

// Waits for an event matching `match`, up to `seconds`.
template <class Match>
std::optional<XEvent> nextEvent(Display* d, double seconds, Match match) {
  const auto start = Clock::now();
  while (msSince(start) < seconds * 1000) {
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (match(e))
        return e;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s VELLICOR_BINARY [SWITCHES [IDLE_SECONDS [STARTS]]]\n", argv[0]);
    return 2;
  }
  const std::string program = argv[1];
  const int switches = argc > 2 ? std::atoi(argv[2]) : 200;
  const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 60;
  const int starts = argc > 4 ? std::atoi(argv[4]) : 10;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "cannot open display\n");
    return 1;
  }
  int damageEvent = 0, damageError = 0;
  if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
    std::fprintf(stderr, "the display has no DAMAGE extension\n");
    return 1;
  }
  const Window root = DefaultRootWindow(d);
  XkbLockGroup(d, XkbUseCoreKbd, 0);
  XSync(d, False);

  std::vector<double> startMs;
  for (int i = 0; i < starts; ++i) {
    const auto t = Clock::now();
    const pid_t pid = spawn(program);
    if (pid < 0 || !waitDocked(d, 10)) {
      std::fprintf(stderr, "the tray icon never docked\n");
      return 1;
    }
    startMs.push_back(msSince(t));
    stop(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  const pid_t pid = spawn(program);
  if (pid < 0 || !waitDocked(d, 10)) {
    std::fprintf(stderr, "the tray icon never docked\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const vellicor::tools::ProcessMemory atStart = vellicor::tools::processMemory(pid);
  // The same with a second instance mapping the same libraries: their clean
  // pages are then shared, and what stays unique is the program's own.
  vellicor::tools::ProcessMemory besideAnother;
  if (const pid_t other = spawn(program); other >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    besideAnother = vellicor::tools::processMemory(pid);
    stop(other);
  }

  XSelectInput(d, root, SubstructureNotifyMask);
  XSync(d, True);
  unsigned group = 1;
  // A first switch builds the HUD and tells which window it is.
  XkbLockGroup(d, XkbUseCoreKbd, group);
  XFlush(d);
  const auto firstMap = nextEvent(d, 5, [&](const XEvent& e) {
    return e.type == MapNotify && classIs(d, e.xmap.window, "vellicor") && e.xmap.override_redirect;
  });
  if (!firstMap) {
    std::fprintf(stderr, "the HUD never appeared\n");
    stop(pid);
    return 1;
  }
  const Window hud = firstMap->xmap.window;
  // Every damaged rectangle is reported. Without a compositor the server damages
  // a shaped window itself as it maps it, before it sends the expose; only
  // damage after the expose is the program's own drawing.
  const Damage damage = XDamageCreate(d, hud, XDamageReportRawRectangles);
  XSelectInput(d, hud, ExposureMask);
  const auto isUnmap = [&](const XEvent& e) {
    return e.type == UnmapNotify && e.xunmap.window == hud;
  };
  nextEvent(d, 3, isUnmap);

  std::vector<double> mappedMs, exposedMs, paintedMs;
  for (int i = 0; i < switches; ++i) {
    group = 1 - group;
    XSync(d, False);
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
    }
    const auto t = Clock::now();
    XkbLockGroup(d, XkbUseCoreKbd, group);
    XFlush(d);
    bool mapped = false;
    bool exposed = false;
    bool painted = false;
    while ((!mapped || !painted) && msSince(t) < 3000) {
      const auto e = nextEvent(d, 3, [&](const XEvent& ev) {
        return (ev.type == MapNotify && ev.xmap.window == hud) ||
               (ev.type == Expose && ev.xexpose.window == hud) ||
               ev.type == damageEvent + XDamageNotify;
      });
      if (!e)
        break;
      if (e->type == MapNotify && !mapped) {
        mapped = true;
        mappedMs.push_back(msSince(t));
      } else if (e->type == Expose && !exposed) {
        exposed = true;
        exposedMs.push_back(msSince(t));
      } else if (e->type == damageEvent + XDamageNotify && exposed && !painted) {
        painted = true;
        paintedMs.push_back(msSince(t));
      }
    }
    nextEvent(d, 3, isUnmap);
  }

  for (int i = 0; i < 1000; ++i) {
    group = 1 - group;
    XkbLockGroup(d, XkbUseCoreKbd, group);
    XSync(d, False);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  const vellicor::tools::ProcessMemory afterBurst = vellicor::tools::processMemory(pid);

  std::this_thread::sleep_for(std::chrono::seconds(2));
  const Activity idleStart = activityOf(pid);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  const Activity idleEnd = activityOf(pid);
  // Sent before the program ends: its window takes the damage object with it.
  XDamageDestroy(d, damage);
  XSync(d, False);
  stop(pid);

  const double tick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  const auto met = [](bool ok) { return ok ? "yes" : "**no**"; };
  const auto latencyRow = [&](const char* what, const std::vector<double>& ms) {
    const double median = percentile(ms, 0.5), p99 = percentile(ms, 0.99);
    std::printf("| %s (%zu switches) | %.2f ms | %.2f ms | median < 2 ms, p99 < 16 ms | %s |\n",
                what, ms.size(), median, p99,
                met(ms.size() == static_cast<size_t>(switches) && median < 2 && p99 < 16));
  };
  std::printf("| measure | median | p99 | target | met |\n|---|---|---|---|---|\n");
  const double startMedian = percentile(startMs, 0.5);
  std::printf(
      "| start-up to tray icon docked (%d starts) | %.1f ms | max %.1f ms | < 100 ms | %s |\n",
      starts, startMedian, percentile(startMs, 1.0), met(startMedian < 100));
  latencyRow("switch to HUD mapped", mappedMs);
  std::printf(
      "| switch to HUD exposed by the server (%zu switches) | %.2f ms | %.2f ms | - | - |\n",
      exposedMs.size(), percentile(exposedMs, 0.5), percentile(exposedMs, 0.99));
  latencyRow("switch to HUD painted", paintedMs);

  std::printf(
      "\n| memory | resident | private (unique) | private dirty | target | met |\n"
      "|---|---|---|---|---|---|\n");
  const auto memoryRow = [&](const std::string& when, const vellicor::tools::ProcessMemory& m) {
    const double resident = m.residentKb / 1024.0, dirty = m.privateDirtyKb / 1024.0;
    std::printf(
        "| %s | %.1f MB | %.1f MB | %.1f MB | < 35 MB resident, < 6 MB private dirty | %s |\n",
        when.c_str(), resident, m.privateKb / 1024.0, dirty, met(resident < 35 && dirty < 6));
  };
  memoryRow("after start", atStart);
  if (besideAnother.residentKb > 0) {
    memoryRow("after start, a second instance running", besideAnother);
  } else {
    std::printf(
        "| after start, a second instance running | the second instance did not start | | | | - "
        "|\n");
  }
  memoryRow("after " + std::to_string(switches) + " + 1,000 switches", afterBurst);

  long wakeups = 0;
  const std::string perThread = threadWakeups(idleStart, idleEnd, wakeups);
  const double idleCpuMs = static_cast<double>(idleEnd.cpuTicks - idleStart.cpuTicks) * tick;
  std::printf("\n| idle, %d s without switches | value | target | met |\n|---|---|---|---|\n",
              idleSeconds);
  std::printf("| context switches (wakeups), all threads | %ld: %s | 0 timer wakeups | %s |\n",
              wakeups, perThread.c_str(), met(wakeups == 0));
  // One clock tick is the finest /proc reports; 10 ms over a minute is 0.02 %.
  std::printf("| CPU time | %.0f ms | near zero (at most 10 ms) | %s |\n", idleCpuMs,
              met(idleCpuMs <= 10));
  XCloseDisplay(d);
  return mappedMs.size() == static_cast<size_t>(switches) ? 0 : 1;
}
