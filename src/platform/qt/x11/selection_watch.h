#pragma once

#include <functional>
#include <memory>
#include <string_view>

namespace vellicor::qt {

// Follows whether some client owns a manager selection of the default screen,
// such as a compositing manager's _NET_WM_CM_S0 or a system tray's
// _NET_SYSTEM_TRAY_S0, through XFixes selection events on Qt's connection:
// `owned()` answers without asking the server, and `changed` runs on the main
// thread each time the answer changes.
class SelectionWatch {
 public:
  // `prefix` is the selection's name without the screen number. Null off X11
  // or without XFixes.
  static std::unique_ptr<SelectionWatch> open(std::string_view prefix,
                                              std::function<void(bool owned)> changed = {});
  ~SelectionWatch();
  SelectionWatch(const SelectionWatch&) = delete;
  SelectionWatch& operator=(const SelectionWatch&) = delete;

  bool owned() const;

 private:
  struct Impl;
  explicit SelectionWatch(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellicor::qt
