#include "hud_watch.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vellicor::bench {
namespace {

// A window of the program reparented into another client's window: the docked tray icon.
bool trayIconDocked(Display* d, Window w, const char* program, int depth = 0) {
  Window r = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(d, w, &r, &parent, &children, &count) == 0) {
    return false;
  }
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    if (depth > 0 && classIs(d, children[i], program)) {
      XWindowAttributes a{};
      found = XGetWindowAttributes(d, children[i], &a) != 0 && a.map_state == IsViewable;
    }
    if (!found && depth < 3) {
      found = trayIconDocked(d, children[i], program, depth + 1);
    }
  }
  if (children != nullptr) {
    XFree(children);
  }
  return found;
}

// Waits for an event matching `match`, up to `seconds`.
template <class Match>
std::optional<XEvent> nextEvent(Display* d, double seconds, Match match) {
  const auto start = Clock::now();
  while (msSince(start) < seconds * 1000) {
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (match(e)) {
        return e;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return std::nullopt;
}

// The fields of /proc/PID/stat from the third (the state) on, read past the
// last ')' since the command name may hold spaces and parentheses; none when
// the process is gone.
std::vector<std::string> statFields(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::vector<std::string> fields;
  if (const size_t end = text.rfind(')'); end != std::string::npos) {
    std::istringstream in(text.substr(end + 1));
    for (std::string field; in >> field;) {
      fields.push_back(field);
    }
  }
  return fields;
}

// Field n of /proc/PID/stat as proc(5) numbers them, or 0 when absent.
long statField(const std::vector<std::string>& fields, size_t n) {
  return n >= 3 && n - 3 < fields.size() ? std::atol(fields[n - 3].c_str()) : 0;
}

}  // namespace

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) {
    return 0;
  }
  std::sort(v.begin(), v.end());
  const auto index = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(index, v.size() - 1)];
}

pid_t spawn(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const auto& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void stop(pid_t pid) {
  // A spawn that failed gave -1, and kill(-1) signals every process the
  // user may signal.
  if (pid <= 0) {
    return;
  }
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

bool waitDocked(Display* d, double seconds, const char* program) {
  const auto start = Clock::now();
  while (msSince(start) < seconds * 1000) {
    if (trayIconDocked(d, DefaultRootWindow(d), program)) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

Activity activityOf(pid_t pid) {
  Activity a;
  const std::string base = "/proc/" + std::to_string(pid) + "/task";
  if (DIR* dir = opendir(base.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') {
        continue;
      }
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
  // utime and stime, in clock ticks.
  const auto fields = statFields(pid);
  a.cpuTicks = statField(fields, 14) + statField(fields, 15);
  return a;
}

Spent spentBy(pid_t pid) {
  Spent s;
  clockid_t clock{};
  timespec t{};
  if (clock_getcpuclockid(pid, &clock) == 0 && clock_gettime(clock, &t) == 0) {
    s.cpuMs = static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
  }
  s.minorFaults = statField(statFields(pid), 10);
  return s;
}

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

double cpuMs(const Activity& before, const Activity& after) {
  const double tick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  return static_cast<double>(after.cpuTicks - before.cpuTicks) * tick;
}

HudWatch::HudWatch(Display* d) : d_(d) {
  int error = 0;
  XDamageQueryExtension(d_, &damageEvent_, &error);
  XSelectInput(d_, DefaultRootWindow(d_), SubstructureNotifyMask);
  XSync(d_, True);
}

HudWatch::~HudWatch() {
  // Sent before the program ends: its window takes the damage object with it.
  if (damage_ != 0) {
    XDamageDestroy(d_, damage_);
    XSync(d_, False);
  }
}

bool HudWatch::find(const std::function<void()>& trigger) {
  trigger();
  const auto firstMap = nextEvent(d_, 5, [&](const XEvent& e) {
    return e.type == MapNotify && classIs(d_, e.xmap.window, "vellicor") &&
           e.xmap.override_redirect;
  });
  if (!firstMap) {
    return false;
  }
  hud_ = firstMap->xmap.window;
  // Every damaged rectangle is reported. Without a compositor the server damages
  // a shaped window itself as it maps it, before it sends the expose; only
  // damage after the expose is the program's own drawing.
  damage_ = XDamageCreate(d_, hud_, XDamageReportRawRectangles);
  XSelectInput(d_, hud_, ExposureMask);
  nextEvent(d_, 3,
            [&](const XEvent& e) { return e.type == UnmapNotify && e.xunmap.window == hud_; });
  return true;
}

HudWatch::Times HudWatch::measure(const std::function<void()>& trigger) {
  XSync(d_, False);
  while (XPending(d_) > 0) {
    XEvent e;
    XNextEvent(d_, &e);
  }
  Times times;
  const auto t = Clock::now();
  trigger();
  while ((!times.mapped || !times.painted) && msSince(t) < 3000) {
    const auto e = nextEvent(d_, 3, [&](const XEvent& ev) {
      return (ev.type == MapNotify && ev.xmap.window == hud_) ||
             (ev.type == Expose && ev.xexpose.window == hud_) ||
             ev.type == damageEvent_ + XDamageNotify;
    });
    if (!e) {
      break;
    }
    if (e->type == MapNotify && !times.mapped) {
      times.mapped = msSince(t);
    } else if (e->type == Expose && !times.exposed) {
      times.exposed = msSince(t);
    } else if (e->type == damageEvent_ + XDamageNotify && times.exposed && !times.painted) {
      times.painted = msSince(t);
    }
  }
  nextEvent(d_, 3,
            [&](const XEvent& e) { return e.type == UnmapNotify && e.xunmap.window == hud_; });
  return times;
}

}  // namespace vellicor::bench
