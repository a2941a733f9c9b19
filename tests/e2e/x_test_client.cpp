#include "x_test_client.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vellicor::e2e {

XTestClient::XTestClient() : display_(XOpenDisplay(nullptr)) {}

XTestClient::~XTestClient() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

void XTestClient::lockGroup(unsigned group) {
  XkbLockGroup(display_, XkbUseCoreKbd, group);
  XSync(display_, False);
}

void XTestClient::movePointer(int x, int y) {
  XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
  XSync(display_, False);
}

bool XTestClient::setGroupNames(const std::vector<std::string>& names) {
  XkbDescPtr keyboard = XkbAllocKeyboard();
  if (keyboard == nullptr) {
    return false;
  }
  keyboard->device_spec = XkbUseCoreKbd;
  bool ok = XkbGetNames(display_, XkbGroupNamesMask, keyboard) == Success;
  for (size_t g = 0; ok && g < names.size() && g < XkbNumKbdGroups; ++g) {
    // Xlib leaves a group whose atom is None as it was; the empty name has an atom.
    keyboard->names->groups[g] = XInternAtom(display_, names[g].c_str(), False);
  }
  ok = ok && XkbSetNames(display_, XkbGroupNamesMask, 0, 0, keyboard) != 0;
  XSync(display_, False);
  XkbFreeKeyboard(keyboard, 0, True);
  return ok;
}

std::optional<WindowState> XTestClient::window(unsigned long id) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, id, &attributes) == 0) {
    return std::nullopt;
  }
  WindowState state;
  state.viewable = attributes.map_state == IsViewable;
  state.overrideRedirect = attributes.override_redirect != 0;
  state.width = attributes.width;
  state.height = attributes.height;
  Window child = 0;
  XTranslateCoordinates(display_, id, DefaultRootWindow(display_), 0, 0, &state.x, &state.y,
                        &child);
  int count = 0;
  int ordering = 0;
  XRectangle* rectangles = XShapeGetRectangles(display_, id, ShapeInput, &count, &ordering);
  state.inputRectangles = count;
  if (rectangles != nullptr) {
    XFree(rectangles);
  }
  return state;
}

unsigned long XTestClient::parentOf(unsigned long id) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, id, &root, &parent, &children, &count) == 0) {
    return 0;
  }
  if (children != nullptr) {
    XFree(children);
  }
  return parent == root ? 0 : parent;
}

bool XTestClient::dockedWindowOf(const std::string& name) {
  // Tray hosts keep icons a few levels below their own top-level window.
  std::vector<std::pair<Window, int>> pending{{DefaultRootWindow(display_), 0}};
  while (!pending.empty()) {
    const auto [window, depth] = pending.back();
    pending.pop_back();
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display_, window, &root, &parent, &children, &count) == 0) {
      continue;
    }
    for (unsigned i = 0; i < count; ++i) {
      XClassHint hint{};
      bool match = false;
      if (depth > 0 && XGetClassHint(display_, children[i], &hint) != 0) {
        match = hint.res_name != nullptr && name == hint.res_name;
        XFree(hint.res_name);
        XFree(hint.res_class);
      }
      const auto state = match ? this->window(children[i]) : std::nullopt;
      if (state && state->viewable) {
        XFree(children);
        return true;
      }
      if (depth < 3) {
        pending.emplace_back(children[i], depth + 1);
      }
    }
    if (children != nullptr) {
      XFree(children);
    }
  }
  return false;
}

std::vector<unsigned long> XTestClient::viewableWindowsOf(const std::string& name) {
  std::vector<unsigned long> out;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
    return out;
  }
  for (unsigned i = 0; i < count; ++i) {
    XClassHint hint{};
    if (XGetClassHint(display_, children[i], &hint) != 0) {
      const bool match = hint.res_name != nullptr && name == hint.res_name;
      XFree(hint.res_name);
      XFree(hint.res_class);
      const auto state = window(children[i]);
      if (match && state && state->viewable) {
        out.push_back(children[i]);
      }
    }
  }
  if (children != nullptr) {
    XFree(children);
  }
  return out;
}

Child::Child(const std::vector<std::string>& argv, const std::string& stderrPath) {
  std::vector<char*> args;
  for (const auto& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO,
                                   stderrPath.empty() ? "/dev/null" : stderrPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
}

Child::~Child() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Child::signal(int sig) const {
  if (pid_ > 0 && !status_) {
    kill(pid_, sig);
  }
}

std::optional<int> Child::wait(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (pid_ > 0 && !status_) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vellicor::e2e
