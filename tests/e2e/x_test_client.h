#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace vellicor::e2e {

// Where a window is on the X screen and how X sees it.
struct WindowState {
  bool viewable = false;
  bool overrideRedirect = false;
  int x = 0, y = 0, width = 0, height = 0;  // root coordinates
  int inputRectangles = -1;                 // -1: no input shape was asked for
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
  void movePointer(int x, int y);
  // Renames the keyboard's first groups, as a keymap with such names would.
  bool setGroupNames(const std::vector<std::string>& names);
  std::optional<WindowState> window(unsigned long id);
  // The window's parent, 0 when it has none or is gone.
  unsigned long parentOf(unsigned long id);
  // Whether a viewable window whose WM_CLASS instance is `name` sits inside
  // another client's window, as a tray icon docked in a tray host does.
  bool dockedWindowOf(const std::string& name);
  // Top-level windows whose WM_CLASS instance is `name` and that are viewable.
  std::vector<unsigned long> viewableWindowsOf(const std::string& name);

 private:
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
  // The exit status, or 128 + signal; none if still running after `seconds`.
  std::optional<int> wait(double seconds);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

std::string readFile(const std::string& path);

}  // namespace vellicor::e2e
