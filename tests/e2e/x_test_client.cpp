#include "x_test_client.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace vellicor::e2e {

namespace {

// The program's windows come and go while the test looks at them: a window gone
// between two requests is an answer, not a failure.
int ignoreErrors(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

XTestClient::XTestClient() : display_(XOpenDisplay(nullptr)) {
  XSetErrorHandler(ignoreErrors);
}

XTestClient::~XTestClient() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

void XTestClient::lockGroup(unsigned group) {
  XkbLockGroup(display_, XkbUseCoreKbd, group);
  XSync(display_, False);
}

void XTestClient::flipGroups(int count, int flushEvery) {
  for (int i = 0; i < count; ++i) {
    XkbLockGroup(display_, XkbUseCoreKbd, i % 2 == 0 ? 1 : 0);
    if (i % flushEvery == 0) {
      XFlush(display_);
    }
  }
  XFlush(display_);
}

void XTestClient::click(int button) {
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
  XSync(display_, False);
  // A person's click holds the button for a moment.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
  XSync(display_, False);
}

void XTestClient::pressKeys(const std::vector<std::string>& keysyms) {
  std::vector<KeyCode> codes;
  for (const auto& name : keysyms) {
    codes.push_back(XKeysymToKeycode(display_, XStringToKeysym(name.c_str())));
  }
  for (const KeyCode code : codes) {
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
  }
  for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
    XTestFakeKeyEvent(display_, *it, False, CurrentTime);
  }
  XSync(display_, False);
}

void XTestClient::focus(unsigned long window) {
  XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
}

unsigned long XTestClient::rootWindow() {
  return DefaultRootWindow(display_);
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

bool XTestClient::setGroupName(unsigned group, const std::string& name) {
  if (group >= XkbNumKbdGroups) {
    return false;
  }
  XkbDescPtr keyboard = XkbAllocKeyboard();
  if (keyboard == nullptr) {
    return false;
  }
  keyboard->device_spec = XkbUseCoreKbd;
  // Xlib sends the groups whose atom is not None: this one alone.
  bool ok = XkbAllocNames(keyboard, XkbGroupNamesMask, 0, 0) == Success;
  if (ok) {
    keyboard->names->groups[group] = XInternAtom(display_, name.c_str(), False);
    ok = XkbSetNames(display_, XkbGroupNamesMask, 0, 0, keyboard) != 0;
  }
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
  rectangles = XShapeGetRectangles(display_, id, ShapeBounding, &count, &ordering);
  state.boundingRectangles = count;
  if (rectangles != nullptr) {
    XFree(rectangles);
  }
  state.shown = {state.x, state.y, state.width, state.height};
  Bool boundingShaped = False, clipShaped = False;
  int bx = 0, by = 0, cx = 0, cy = 0;
  unsigned bw = 0, bh = 0, cw = 0, ch = 0;
  if (XShapeQueryExtents(display_, id, &boundingShaped, &bx, &by, &bw, &bh, &clipShaped, &cx, &cy,
                         &cw, &ch) != 0 &&
      boundingShaped) {
    state.shown = {state.x + bx, state.y + by, static_cast<int>(bw), static_cast<int>(bh)};
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

unsigned long XTestClient::viewableWindowOfType(const std::string& name, const std::string& type) {
  const Atom typeAtom = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
  const Atom wanted = XInternAtom(display_, type.c_str(), False);
  for (const unsigned long id : viewableWindowsOf(name)) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, id, typeAtom, 0, 32, False, XA_ATOM, &actual, &format, &count,
                           &after, &data) != Success) {
      continue;
    }
    bool match = false;
    if (data != nullptr && format == 32) {
      const auto* atoms = reinterpret_cast<const unsigned long*>(data);
      for (unsigned long i = 0; i < count; ++i) {
        match = match || atoms[i] == wanted;
      }
    }
    if (data != nullptr) {
      XFree(data);
    }
    if (match) {
      return id;
    }
  }
  return 0;
}

unsigned long XTestClient::applicationWindow(const std::string& name) {
  for (const unsigned long window : viewableWindowsOf(name)) {
    return window;
  }
  // Framed: one level below a child of the root.
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
    return 0;
  }
  const std::vector<Window> frames(children, children + count);
  if (children != nullptr) {
    XFree(children);
  }
  for (const Window frame : frames) {
    Window* inner = nullptr;
    unsigned n = 0;
    if (XQueryTree(display_, frame, &root, &parent, &inner, &n) == 0) {
      continue;
    }
    const std::vector<Window> clients(inner, inner + n);
    if (inner != nullptr) {
      XFree(inner);
    }
    for (const Window client : clients) {
      XClassHint hint{};
      if (XGetClassHint(display_, client, &hint) == 0) {
        continue;
      }
      const bool match = hint.res_name != nullptr && name == hint.res_name;
      XFree(hint.res_name);
      XFree(hint.res_class);
      const auto state = match ? window(client) : std::nullopt;
      if (state && state->viewable) {
        return client;
      }
    }
  }
  return 0;
}

// Whether every ancestor of `id`, up to the root, holds all of `box`: a child
// reaching past its parent is cut off there, as a docked icon is while the
// window manager has yet to widen the tray host's frame for it.
bool XTestClient::whollyShown(unsigned long id, const Box& box) {
  constexpr int kMaxDepth = 16;
  unsigned long ancestor = parentOf(id);  // 0 once the next one up is the root
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const auto outer = window(ancestor != 0 ? ancestor : DefaultRootWindow(display_));
    if (!outer || !box.inside(Box{outer->x, outer->y, outer->width, outer->height})) {
      return false;
    }
    if (ancestor == 0) {
      return true;
    }
    ancestor = parentOf(ancestor);
  }
  return false;
}

std::optional<Box> XTestClient::dockedIconOf(const std::string& name) {
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
    std::vector<Window> kids(children, children + count);
    if (children != nullptr) {
      XFree(children);
    }
    for (const Window child : kids) {
      XClassHint hint{};
      bool match = false;
      if (depth > 0 && XGetClassHint(display_, child, &hint) != 0) {
        match = hint.res_name != nullptr && name == hint.res_name;
        XFree(hint.res_name);
        XFree(hint.res_class);
      }
      const auto state = match ? this->window(child) : std::nullopt;
      if (state && state->viewable) {
        const Box icon{state->x, state->y, state->width, state->height};
        return whollyShown(child, icon) ? std::optional<Box>(icon) : std::nullopt;
      }
      // Below a window manager's frame and wrapper (KWin has both), the
      // tray host's window, its socket for the icon, the icon.
      if (depth < 5) {
        pending.emplace_back(child, depth + 1);
      }
    }
  }
  return std::nullopt;
}

std::string XTestClient::windowTitle(unsigned long id) {
  const Atom nameAtom = XInternAtom(display_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display_, id, nameAtom, 0, 1 << 20, False, utf8, &actual, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return title;
}

int XTestClient::inkIn(const Box& area) {
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), area.x, area.y,
                            static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) {
    return -1;
  }
  std::map<unsigned long, int> counts;
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      ++counts[XGetPixel(image, x, y)];
    }
  }
  unsigned long background = 0;
  int most = 0;
  for (const auto& [pixel, n] : counts) {
    if (n > most) {
      most = n;
      background = pixel;
    }
  }
  const auto channels = [](unsigned long p) {
    return std::array<int, 3>{static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                              static_cast<int>(p & 0xff)};
  };
  const auto bg = channels(background);
  int ink = 0;
  for (const auto& [pixel, n] : counts) {
    const auto c = channels(pixel);
    if (std::abs(c[0] - bg[0]) + std::abs(c[1] - bg[1]) + std::abs(c[2] - bg[2]) > 150) {
      ink += n;
    }
  }
  XDestroyImage(image);
  return ink;
}

bool XTestClient::selectionOwned(const std::string& selection) {
  return XGetSelectionOwner(display_, XInternAtom(display_, selection.c_str(), False)) != None;
}

void XTestClient::endSelectionOwner(const std::string& selection) {
  const Window owner =
      XGetSelectionOwner(display_, XInternAtom(display_, selection.c_str(), False));
  if (owner != None) {
    XKillClient(display_, owner);
  }
  XSync(display_, False);
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
