#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace vellicor::qt {

// The pointer as the X server sees it: whether it is over a top-level window
// of the default screen (XQueryPointer names a child of the root window), when
// it last left them all for the root window, and when it comes back to one
// (the root's crossings from and to an inferior, heard on Qt's connection).
// Under XWayland the pointer is on the root window whenever it is not over an
// X window: over a Wayland window, the desktop's own surfaces, or while the
// desktop's shell holds the pointer.
class PointerWatch {
 public:
  // `returned` runs on the main thread when the pointer comes back from the
  // root window to a top-level window. Null off X11.
  static std::unique_ptr<PointerWatch> open(std::function<void()> returned);
  ~PointerWatch();
  PointerWatch(const PointerWatch&) = delete;
  PointerWatch& operator=(const PointerWatch&) = delete;

  // Asks the server; false when it does not answer.
  bool overWindow() const;
  // How long ago the pointer last left the X windows, when it has since the
  // watch began.
  std::optional<std::chrono::milliseconds> sinceLeft() const;

 private:
  struct Impl;
  explicit PointerWatch(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellicor::qt
