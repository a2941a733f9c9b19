#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace vellicor::e2e {

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  int centreX() const { return x + width / 2; }
  int centreY() const { return y + height / 2; }
  bool inside(const Box& outer) const {
    return x >= outer.x && y >= outer.y && x + width <= outer.x + outer.width &&
           y + height <= outer.y + outer.height;
  }
};

// Where a window is on the X screen and how X sees it.
struct WindowState {
  bool viewable = false;
  bool overrideRedirect = false;
  int x = 0, y = 0, width = 0, height = 0;  // root coordinates
  int inputRectangles = -1;                 // -1: no input shape was asked for
  int boundingRectangles = 0;               // 1 for a plain rectangle; more cut corners
  Box shown;  // what the window shows: its bounding shape, in root coordinates
};

// The test's own connection to the display, separate from the program's, doing
// what a user or another program would.
class XTestClient {
 public:
  XTestClient();
  ~XTestClient();
  XTestClient(const XTestClient&) = delete;
  XTestClient& operator=(const XTestClient&) = delete;

  bool connected() const { return display_ != nullptr; }
  // XkbLockGroup, as a layout-switch key does.
  void lockGroup(unsigned group);
  // `count` XkbLockGroup requests alternating between groups 1 and 0, flushed
  // every `flushEvery` and never waited for, as an auto-typing tool sends them.
  void flipGroups(int count, int flushEvery);
  void movePointer(int x, int y);
  // Gives `window` the keyboard focus, as a click on it or a window manager does.
  void focus(unsigned long window);
  unsigned long rootWindow();
  // A press and release of a pointer button where the pointer is, through the
  // server's input path (XTest), as a user's click.
  void click(int button = 1);
  // Presses the keys in order and releases them in reverse, by keysym name
  // ("Control_L", "q", "Down", "Return").
  void pressKeys(const std::vector<std::string>& keysyms);
  // Renames the keyboard's first groups, as a keymap with such names would.
  bool setGroupNames(const std::vector<std::string>& names);
  // Renames one group and no other, whether or not the keymap has that group:
  // the server keeps a name for each of the four groups XKB knows.
  bool setGroupName(unsigned group, const std::string& name);
  std::optional<WindowState> window(unsigned long id);
  // The window's parent, 0 when it has none or is gone.
  unsigned long parentOf(unsigned long id);
  // Top-level windows whose WM_CLASS instance is `name` and that are viewable.
  std::vector<unsigned long> viewableWindowsOf(const std::string& name);
  // An application's viewable window, a top-level one or one a window manager
  // has framed; 0 when there is none.
  unsigned long applicationWindow(const std::string& name);
  // The first of those whose _NET_WM_WINDOW_TYPE includes `type`
  // ("_NET_WM_WINDOW_TYPE_NOTIFICATION"), or 0.
  unsigned long viewableWindowOfType(const std::string& name, const std::string& type);
  // A viewable window whose WM_CLASS instance is `name` inside another client's
  // window, as a tray icon docked in a tray host is: where it is on the screen,
  // once all of it is shown there (none of it cut off by a window it is in).
  std::optional<Box> dockedIconOf(const std::string& name);
  // The window's _NET_WM_NAME.
  std::string windowTitle(unsigned long id);
  // How many pixels of `area` differ clearly from its most common colour: the
  // text and lines drawn on a plain background.
  int inkIn(const Box& area);
  // Whether some client owns the selection, as a running tray host owns
  // _NET_SYSTEM_TRAY_S0.
  bool selectionOwned(const std::string& selection);
  // Ends the client that owns the selection on this display (the server closes
  // its connection, and a tray host or compositor exits with it), as closing
  // that program would; the same programs on other displays are left alone.
  void endSelectionOwner(const std::string& selection);

 private:
  bool whollyShown(unsigned long id, const Box& box);

  _XDisplay* display_;
};

// A child process with its own arguments, stopped when its owner goes.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv, const std::string& stderrPath = "");
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  pid_t pid() const { return pid_; }
  void signal(int sig) const;
  // Lets the process run on after this object goes.
  void detach() { pid_ = -1; }
  // The exit status, or 128 + signal; none if still running after `seconds`.
  std::optional<int> wait(double seconds);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

std::string readFile(const std::string& path);

}  // namespace vellicor::e2e
