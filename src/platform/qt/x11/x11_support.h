#pragma once

#include <functional>
#include <memory>

namespace vellicor::qt {

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
