#pragma once

#include <functional>
#include <memory>

namespace vellicor::qt {

// The default screen's _NET_WM_CM_Sn selection, which a compositing manager
// owns while it runs; 0 off X11.
unsigned compositorSelection();
// Whether a compositing manager owns that selection now (one round trip).
bool compositorRunning(unsigned selection);

// Calls `activated` on the main thread when the window manager's active window
// (the root's _NET_ACTIVE_WINDOW) becomes a window of another process.
class ActiveWindowWatch {
 public:
  static std::unique_ptr<ActiveWindowWatch> open(std::function<void()> activated);
  ~ActiveWindowWatch();
  ActiveWindowWatch(const ActiveWindowWatch&) = delete;
  ActiveWindowWatch& operator=(const ActiveWindowWatch&) = delete;

 private:
  struct Impl;
  explicit ActiveWindowWatch(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellicor::qt
